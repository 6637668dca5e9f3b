#!/usr/bin/env python3
"""Usage: write_results.py RAW_TXT RESULTS_MD
Turns the raw lines that scripts/bench records into bench/results.md."""
import math
import statistics
import sys

TARGET_SHARE, TARGET_ANSWER_MS, PAUSE_MS, MEMORY_NOISE_KB = 0.03, 50.0, 10.0, 1024
WINDOWS_TICK_MS = 15.625  # Windows' default clock tick, 1/64 s
TOOLS = {"quillmere": "Quillmere, through its window", "bare": "bare GDI+ loop (floor)",
         "imagemagick": "ImageMagick `mogrify`", "graphicsmagick": "GraphicsMagick `gm mogrify`",
         "vipsthumbnail": "libvips `vipsthumbnail`"}
PEERS = list(TOOLS)[2:]
PAIRED = {"quillmere": ("batch_ms", "worker_cpu_ms"), "bare": ("floor_ms", "floor_cpu_ms")}
SIZES = {"h100": "height 100", "w1000": "width 1000"}
R = "---:"


def parse(path):
    """Words naming a record, then key=value words; a few values run to the line's end."""
    records = []
    for line in open(path, encoding="utf-8"):
        record, words = {"_kind": set()}, line.split()
        for index, word in enumerate(words):
            key, equals, value = word.partition("=")
            if not equals:
                record["_kind"].add(word)
            elif key in ("cpu", "os", "count_line", "wine"):
                record[key] = " ".join([value] + words[index + 1:])
                break
            else:
                record.setdefault(key, value)
        records.append(record)
    return records


def num(record, key, per=None):
    """A measured value, per record[per] if given; a negative CPU time was not read."""
    try:
        value = float(record[key]) / (float(record[per]) if per else 1)
    except (KeyError, ValueError, TypeError):
        return None
    return None if value < 0 and "cpu" in key else value


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def fmt(value, digits=1, sign=""):
    return "—" if value is None else f"{value:{sign},.{digits}f}"


def median_interval(values):
    """The median's 95 % interval: order statistics k and n + 1 - k, k the largest whose
    binomial tail holds at most 2.5 % (the extremes below 6 values)."""
    ordered, n, tail, k = sorted(values), len(values), 0.0, 1
    for rank in range(n):
        tail += math.comb(n, rank) / 2 ** n
        if tail > 0.025:
            k = max(rank, 1)
            break
    return ordered[k - 1], ordered[n - k]


def with_interval(values):
    return "{:+.1f} ({:+.1f} … {:+.1f})".format(median(values), *median_interval(values)) \
        if values else "—"


def table(out, header, rows, align=None):
    out += ["| " + " | ".join(header) + " |",
            "|" + "|".join(align or ["---"] + [R] * (len(header) - 1)) + "|"]
    out += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows] + [""]


def met(ok):
    return "met" if ok else "**missed**"


class Results:
    def __init__(self, records):
        self.records, self.info = records, {}
        for record in self.of("meta") + self.of("version") + self.of("machine"):
            self.info.update({k: v for k, v in record.items() if k != "_kind"})
        self.files = int(self.info.get("files", "0"))
        self.ops = {r.get("operation"): num(r, "median_ms") for r in self.of("window_op")}

    def of(self, *kinds):
        return [r for r in self.records if set(kinds) <= r["_kind"]]

    def pairs(self, size):
        return [p for p in self.of("pair") if p.get("size") == size]

    def runs(self, tool, size):
        """(ms, CPU ms, every output written) of each run of tool at size."""
        if tool in PAIRED:
            time, cpu = PAIRED[tool]
            return [(num(p, time), num(p, cpu), num(p, "files") == self.files)
                    for p in self.pairs(size)]
        return [(None if r.get("failed") else 1000 * num(r, "wall_s"),
                 1000 * (num(r, "user_s") + num(r, "system_s")),
                 not r.get("failed") and num(r, "written") == self.files)
                for r in self.of("job") if r.get("tool") == tool and r.get("size") == size]

    def per_file(self, tool, size, column=0):
        value = median(run[column] for run in self.runs(tool, size))
        return value / self.files if value is not None else None


def overhead(results, out):
    sleep, report = (results.ops.get(op) for op in ("Sleep10", "FileReport"))
    out.append("## The program's own overhead\n\nShare = (batch − bare loop − 10 ms × files) / "
               "batch in each pair of runs over the same files, the program in its window and the "
               "bare loop, alternating: the median and its 95 % order-statistic interval. Met when "
               "the interval's top is at most 3 %, missed when its bottom is above; otherwise the "
               "pairs its spread would need, as it narrows with their square root (`scripts/bench "
               "--pairs H,W` runs H at height 100 and W at width 1000). Beside it, the share of the "
               "run that the user waits for the 10 ms pause after each file, which lets the log and "
               f"the bar be seen to move. That is Wine's `Sleep(10)`, {fmt(sleep, 2)} ms here; "
               "Windows' often lasts a whole clock tick, 15.6 ms by default: the last column.\n")
    targets, rows, columns = [], [], []
    for size, size_name in SIZES.items():
        pairs = results.pairs(size)
        if not pairs:
            continue
        shares = [1 - (num(p, "floor_ms") + PAUSE_MS * num(p, "files")) / num(p, "batch_ms")
                  for p in pairs]
        middle, (low, high), needed = statistics.median(shares), median_interval(shares), "—"
        verdict = ("met" if high <= TARGET_SHARE else "**missed**" if low > TARGET_SHARE
                   else "not settled")
        if verdict == "not settled" and middle != TARGET_SHARE:
            spread = high - middle if middle < TARGET_SHARE else middle - low
            needed = f"{math.ceil(len(pairs) * (spread / (TARGET_SHARE - middle)) ** 2):,}"
        targets.append([f"overhead ≤ 3 % of batch time, {size_name}",
                        f"{verdict}: {middle:.1%} ({low:.1%} … {high:.1%})"])
        bare, batch = results.per_file("bare", size), results.per_file("quillmere", size)
        windows = sleep and WINDOWS_TICK_MS / (batch - sleep + WINDOWS_TICK_MS)
        rows.append([size_name, len(pairs), f"{middle:.1%}", f"{low:.1%} … {high:.1%}", verdict,
                     needed, fmt(sleep and 100 * sleep / batch), fmt(windows and 100 * windows)])
        cpu = [num(p, "worker_cpu_ms", "files") - num(p, "floor_cpu_ms", "files") for p in pairs
               if None not in (num(p, "worker_cpu_ms"), num(p, "floor_cpu_ms"))]
        parts = [bare, sleep, median(cpu), report]
        columns.append([fmt(bare), fmt(sleep, 2, "+"), with_interval(cpu), fmt(report, 2, "+"),
                        fmt(None if None in parts else batch - sum(parts), 1, "+"),
                        f"**{fmt(batch)}**", with_interval(
                            [(num(p, "batch_ms") - num(p, "floor_ms")) / num(p, "files")
                             - PAUSE_MS for p in pairs]),
                        fmt(median(num(p, "ui_cpu_ms", "files") for p in pairs))])
    table(out, ["size", "pairs", "overhead share", "95 % interval", "target", "pairs needed",
                "the pause's share (%)", "with a 15.6 ms tick (%, computed, not measured)"], rows,
          ["---", R, R, "---", "---", R, R, R])
    names = ["the bare GDI+ loop (pairs)", "+ the 10 ms pause as Wine sleeps it (in-process)",
             "+ the worker's CPU beyond the loop's: `ListImageFiles`, the header check, the "
             "encoder lookup per file, the temporary file and its move (pairs)",
             "+ the window's answer to the worker's one report per file: its line and the bar's "
             "next step (in-process)",
             "+ the rest: waiting for a core or the wineserver; the run's start and end",
             "**= the program in its window (pairs)**",
             "its overhead: batch − bare loop − 10 ms (pairs)",
             "beside it, the CPU of the window's thread, drawing the log and the bar (pairs)"]
    out.append("Where the time goes, in ms per file. Pairs: medians, with the 95 % interval of "
               "paired differences; CPU in Linux's 10 ms ticks. In-process: on the shown main "
               "window from a second thread, 50 ms apart as a file's work keeps them, median of 60.\n")
    table(out, ["", *SIZES.values()], [[name, *cells] for name, *cells in zip(names, *columns)])
    return targets


def drawing(results, out):
    rounds = results.of("drawing")
    if not rounds:
        return
    out.append("## What the window's drawing costs a run\n\nThe bare loop over the same files at "
               "height 100 on a second thread, beside the program's main window shown in the same "
               "process, whose thread handles its messages as in a run. Three legs a round, their "
               "order turning: the window idle; fed one report per file as a run feeds it (the "
               "file's line and the bar's next step, one synchronous message); fed while hidden, "
               "so that nothing is drawn. In ms per file: the median of the rounds' differences, "
               "with its 95 % order-statistic interval. Wine's `null` display driver draws into "
               "memory only: Windows' drawing, on a real display and with themes, costs other "
               "amounts.\n")
    def per_file(first, second, kind="ms"):
        return [(num(r, f"{first}_{kind}") - num(r, f"{second}_{kind}")) / num(r, "files")
                for r in rounds if None not in (num(r, f"{first}_{kind}"), num(r, f"{second}_{kind}"))]
    idle = median(num(r, "idle_ms", "files") for r in rounds)
    rows = [["the loop beside the idle window", fmt(idle), "—"],
            ["+ the reports, drawing held off (hidden − idle)", with_interval(per_file("undrawn", "idle")),
             with_interval(per_file("undrawn", "idle", "cpu_ms"))],
            ["+ the drawing (fed − hidden)", with_interval(per_file("fed", "undrawn")),
             with_interval(per_file("fed", "undrawn", "cpu_ms"))],
            ["= fed, as in a run (fed − idle)", with_interval(per_file("fed", "idle")),
             with_interval(per_file("fed", "idle", "cpu_ms"))]]
    table(out, ["", f"wall, ms per file ({len(rounds)} rounds)", "the loop thread's CPU, ms per file"],
          rows)
    low, high = median_interval(per_file("fed", "undrawn"))
    out.append(("The drawing costs the loop more than the rounds' noise: its interval lies above 0."
                if low > 0 else "The drawing's cost to the loop is within the rounds' noise: its "
                "interval holds 0.") + "\n")


def speed(results, out):
    info = results.info
    out.append(f"## Speed\n\n{results.files} files, the same for every tool, made by ImageMagick's "
               f"`plasma:fractal` at {info.get('seeds')} fixed seeds: {info.get('large')} JPEGs of "
               f"4000×3000, {info.get('pngs')} 8-bit PNGs of 800×600 and the rest JPEGs of "
               "1920×1080, cut from the large ones (JPEG quality 90). Quillmere (Start click to "
               "Start enabled again, the pause included; CPU: its worker's) and the bare loop "
               f"(the loop alone) from the pairs above; the peers in {info.get('rounds')} "
               "round(s), the order shifted each round: wall time, and CPU with children, as "
               "typed (`mogrify -path OUT -resize x100 -quality 75`, `gm mogrify "
               "-output-directory OUT ...`, `vipsthumbnail --size x100 -o OUT/%s.jpg[Q=75]`), "
               "each with its own filter and both cores; Quillmere uses one.\n")
    rows = []
    for size, size_name in SIZES.items():
        for tool, name in TOOLS.items():
            runs = results.runs(tool, size)
            if runs:
                rows.append([name, size_name, len(runs), fmt(results.per_file(tool, size)),
                             fmt(results.per_file(tool, size, 1)),
                             "all written" if all(run[2] for run in runs) else "INCOMPLETE"])
    table(out, ["tool", "size", "runs", "ms per file", "CPU, ms per file", "outputs"], rows,
          ["---", "---", R, R, R, "---"])


def quality(results, out):
    scores = {(r.get("tool"), r.get("size"), r.get("image")): num(r, "psnr_db")
              for r in results.of("quality")}
    gaps = [scores[(peer, size, image)] - scores[("quillmere", size, image)]
            for peer in PEERS for size in SIZES for image in ("text_page", "zone_plate")
            if None not in (scores.get((peer, size, image)), scores.get(("quillmere", size, image)))]
    if not gaps:
        return
    out.append("## Quality\n\nA 4000×3000 page of 28-pixel Liberation Serif text and a zone "
               "plate (0 to half a cycle per pixel), reduced by each tool as above to PNG. PSNR in "
               "dB against the exact area average of the source over each output pixel's "
               "footprint, which no tool makes; ms per file from above.\n")
    table(out, ["tool", "size", "text page (dB)", "zone plate (dB)", "ms per file"],
          [[TOOLS[tool].split(",")[0], name, fmt(scores.get((tool, size, "text_page"))),
            fmt(scores.get((tool, size, "zone_plate"))), fmt(results.per_file(tool, size))]
           for size, name in SIZES.items() for tool in ["quillmere"] + PEERS],
          ["---", "---", R, R, R])
    out.append("**Under Wine, GDI+'s high-quality bicubic mode is bilinear sampling of 2×2 source "
               "pixels without pre-filtering**, so large reductions alias (the text page comes out "
               f"black and white, letters broken): {min(gaps):.0f} to {max(gaps):.0f} dB below the "
               "peers. Windows' GDI+ documents and does pre-filtered, high-quality resampling in "
               "this mode. The speed tables compare tools at unequal quality.\n")


def soak(results, out):
    samples, counts = results.of("soak", "sample"), ("kernel_handles", "gdi_table", "windows")
    out.append(f"## Memory and handles\n\nOne program process, {results.info.get('soak_runs')} "
               f"runs over the same {results.files} files at height 100.\n")
    table(out, ["when", "files done", "peak working set (MiB)", "working set (MiB)",
                "private (MiB)", "kernel handles *", "GDI table *", "windows *"],
          [[s.get("label", "").replace("_", " "), s.get("files_done")]
           + [fmt(num(s, key) / 1024) for key in ("peak_ws_kb", "ws_kb", "private_kb")]
           + [s.get(key) for key in counts] for s in samples], ["---"] + [R] * 7)
    out.append("\\* Stand-ins, as Wine 8 answers `GetGuiResources` and `GetProcessHandleCount` "
               "with 0: entries in the system handle list, live GDI table entries, windows.\n")
    settled, targets = [s for s in samples if s.get("label", "").startswith("after_run_")], []
    if len(settled) >= 2:
        growth = num(settled[-1], "private_kb") - num(settled[0], "private_kb")
        out.append(f"From the first run's end to the last's private memory changes by "
                   f"{growth:+.0f} KiB (noise allowance {MEMORY_NOISE_KB} KiB).\n")
        targets = [["no growth of handle or object counts across runs",
                    met(all(len({s.get(key) for s in settled}) == 1 for key in counts))],
                   ["no growth of memory across runs beyond noise",
                    met(growth <= MEMORY_NOISE_KB)]]
    out.append("## Responsiveness\n\nDuring each of those runs the driver timed the main window's "
               "answer to `WM_NULL` (`SendMessageTimeoutW`, 5 s) at each of its polls, every 10 ms. "
               f"Target: every answer within {TARGET_ANSWER_MS:.0f} ms.\n")
    rows, longest = [], 0
    for r in results.of("soak", "answers"):
        times = sorted(float(ms) for ms in r.get("ms", "").split(",") if ms)
        rows.append([r.get("run"), r.get("files"), len(times), fmt(median(times), 2),
                     fmt(times[len(times) * 99 // 100], 2), fmt(times[-1], 2),
                     sum(ms > TARGET_ANSWER_MS for ms in times), sum(ms > 5000 for ms in times)])
        longest = max(longest, times[-1])
    table(out, ["run", "files", "samples", "median (ms)", "99th percentile (ms)", "longest (ms)",
                "over 50 ms", "timeouts"], rows)
    return targets + ([["window answers within 50 ms throughout",
                        f"{met(longest <= TARGET_ANSWER_MS)}: longest {longest:.1f} ms"]] if rows else [])


def scale(results, out):
    out.append("## Scale\n")
    for d in results.of("discovery"):
        out.append(f"**Discovery** of {num(d, 'files'):,.0f} image-named empty files: "
                   f"`ListImageFiles` takes {fmt(num(d, 'first_ms'))} ms the first time and "
                   f"{fmt(num(d, 'median_ms'))} ms as the median of {d.get('repeats')} more.\n")
    for first in results.of("first_line"):
        out.append(f"In a real run over that folder the first line came {fmt(num(first, 'ms'))} "
                   f"ms after the Start click; the count line said \"{first.get('count_line')}\".\n")


def what_ran(results, out):
    info = results.info
    out += ["## What ran\n", "- Machine: {nproc} cores ({cpu}), {memory_gib} GiB, Linux {kernel}, "
            "{os}; load at the end {load_end}.\n- Wine: {wine}, null display driver.\n- mingw-w64 "
            "g++ {mingw}, Release; ImageMagick {imagemagick}, GraphicsMagick {graphicsmagick}, "
            "libvips {libvips}.".format_map(info),
            f"- Pairs: {len(results.pairs('h100'))} at height 100, {len(results.pairs('w1000'))} "
            f"at width 1000 (`--pairs {info.get('pairs_asked')}`).",
            f"- The whole benchmark took {info.get('elapsed_s')} s"
            f"{' (--quick)' if info.get('quick') == '1' else ''}: " + ", ".join(
                f"{s.get('name')} {s.get('seconds')} s" for s in results.of("section")) + ".\n"]


def main():
    results, body, targets = Results(parse(sys.argv[1])), [], []
    for section in (overhead, drawing, speed, quality, soak, scale, what_ran):
        targets += section(results, body) or []
    info = results.info
    quick = " --quick: few files, not figures to quote" if info.get("quick") == "1" else ""
    head = ["# Benchmark results\n",
            f"Written by `scripts/bench`{quick}. Raw data: `build/bench-work/raw.txt`. Every "
            f"figure is from the Windows program under {info.get('wine')} on one Linux "
            f"{'virtual ' if info.get('virtual') == 'yes' else ''}machine with {info.get('nproc')} "
            f"cores ({info.get('cpu')}); none is from Windows.\n", "## Targets\n"]
    table(head, ["target", "result"], targets, ["---", "---"])
    with open(sys.argv[2], "w", encoding="utf-8") as results_file:
        results_file.write("\n".join(head + body))


if __name__ == "__main__":
    main()
