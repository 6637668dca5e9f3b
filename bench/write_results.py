#!/usr/bin/env python3
"""Turns the raw lines that scripts/bench records into bench/results.md.

Usage: write_results.py RAW_TXT RESULTS_MD
"""
import math
import statistics
import sys

TARGET_SHARE, TARGET_ANSWER_MS, PAUSE_MS, MEMORY_NOISE_KB = 0.03, 50.0, 10.0, 1024
TOOLS = {"quillmere": "Quillmere, through its window", "bare": "bare GDI+ loop (floor)",
         "imagemagick": "ImageMagick `mogrify`", "graphicsmagick": "GraphicsMagick `gm mogrify`",
         "vipsthumbnail": "libvips `vipsthumbnail`",
         "quillmere-classic": "Quillmere, Wine theme off (diagnostic)",
         "core": "program's imaging code, no window (diagnostic)",
         "core-paused": "same, with the 10 ms pause per file (diagnostic)"}
PEERS, LOOPS = ["imagemagick", "graphicsmagick", "vipsthumbnail"], ("bare", "core", "core-paused")
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


def table(out, header, rows, align=None):
    out += ["| " + " | ".join(header) + " |",
            "|" + "|".join(align or ["---"] + [R] * (len(header) - 1)) + "|"]
    out += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows] + [""]


class Results:
    def __init__(self, records):
        self.records, self.info = records, {}
        for record in self.of("meta") + self.of("version") + self.of("machine"):
            self.info.update({k: v for k, v in record.items() if k != "_kind"})
        self.files = int(self.info.get("files", "0"))

    def of(self, *kinds):
        return [r for r in self.records if set(kinds) <= r["_kind"]]

    def runs(self, tool, size="h100"):
        return [r for r in self.of("job") if r.get("tool") == tool and r.get("size") == size]

    @staticmethod
    def measured(run):  # the batch from the window, the loop alone, a peer's wall time
        tool = run.get("tool", "")
        key = "ms" if tool.startswith("quillmere") else "loop_ms" if tool in LOOPS else "wall_ms"
        return None if run.get("failed") else num(run, key)

    def per_file(self, tool, size="h100", key=None):  # the median of the rounds
        value = median(num(r, key) if key else self.measured(r) for r in self.runs(tool, size))
        return value / self.files if value is not None else None

    def steps(self, later, earlier, allowance):  # per round at height 100, ms per file
        before = {r.get("round"): self.measured(r) for r in self.runs(earlier)}
        return [(self.measured(r) - before[r.get("round")]) / self.files - allowance
                for r in self.runs(later) if None not in (self.measured(r), before.get(r.get("round")))]


def speed(results, out):
    seconds = lambda value: fmt(value and value * results.files / 1000, 2)
    out.append(f"## Speed\n\n{results.files} files ({results.info.get('jpegs')} JPEG, "
               f"{results.info.get('pngs')} PNG), {results.info.get('rounds')} round(s), the order "
               "shifted each round; medians of the rounds. Quillmere: Start click to Start enabled "
               "again, its 10 ms pause per file included; loops: the loop alone; peers: wall time, "
               "and CPU with children, as typed (`mogrify -path OUT -resize x100 -quality 75`, `gm "
               "mogrify -output-directory OUT ...`, `vipsthumbnail --size x100 -o OUT/%s.jpg[Q=75]`"
               "), each with its own filter and both cores; Quillmere uses one.\n")
    for size, size_name in SIZES.items():
        out.append(f"### At {size_name}\n")
        key = lambda tool: "succeeded" if tool.startswith("quillmere") or tool in LOOPS else "written"
        table(out, ["tool", "median time (s)", "ms per file", "all runs (s)", "CPU (s)", "outputs"],
              [[name, seconds(results.per_file(tool, size)), fmt(results.per_file(tool, size)),
                ", ".join(fmt(results.measured(r) / 1000, 2) for r in results.runs(tool, size)),
                seconds(results.per_file(tool, size, "cpu_ms")),
                "all written" if all(not r.get("failed") and num(r, key(tool)) == results.files
                                     for r in results.runs(tool, size)) else "INCOMPLETE"]
               for tool, name in TOOLS.items() if results.per_file(tool, size) is not None],
              ["---", R, R, "---", R, "---"])


def overhead(results, out):  # returns {size: (verdict, median, low, high)}
    out.append(
        "## The program's own overhead\n\nShare = (batch − bare loop − 10 ms × files) / batch, "
        "in pairs of runs (the program in its window, the bare loop) over the same "
        f"{results.info.get('pair_files')} files, a third of the corpus, alternating: the median and "
        "its 95 % order-statistic interval. Met when the interval's top is at most 3 %, missed "
        "when its bottom is above, otherwise not settled, with the pairs its spread would need "
        "(it narrows as one over their square root).\n")
    verdicts, rows, cpu_rows = {}, [], []
    for size, size_name in SIZES.items():
        pairs = [p for p in results.of("pair") if p.get("size") == size]
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
        verdicts[size] = (verdict, middle, low, high)
        each = lambda key: fmt(median(num(p, key, "files") for p in pairs))
        rows.append([size_name, len(pairs), each("batch_ms"), each("floor_ms"), f"{middle:.1%}",
                     f"{low:.1%} … {high:.1%}", verdict, needed])
        extra = [num(p, "worker_cpu_ms", "files") - num(p, "floor_cpu_ms", "files")
                 for p in pairs if num(p, "worker_cpu_ms") is not None]
        extra = [median(extra), *median_interval(extra)] if extra else [None] * 3
        cpu_rows.append([size_name, each("worker_cpu_ms"), each("floor_cpu_ms"),
                         "{} ({} … {})".format(*(fmt(v, 1, "+") for v in extra)), each("ui_cpu_ms")])
    table(out, ["size", "pairs", "batch, ms per file", "bare loop, ms per file", "overhead share",
                "95 % interval", "target", "pairs needed"], rows,
          ["---", R, R, R, R, "---", "---", R])
    out.append("CPU in the same pairs, ms per file, in Linux's 10 ms ticks; the worker's extra "
               "is the paired median with its 95 % interval:\n")
    table(out, ["size", "run's worker", "bare loop", "worker − bare loop", "window's thread"],
          cpu_rows)
    return verdicts


def breakdown(results, out):
    steps = [("bare loop → the program's imaging code (`in_process_benchmark core`)", "ListImageFiles, "
              "the header check, the encoder list per file, the .partial file", "core", "bare", 0),
             ("→ with the 10 ms pause after each file", "the pause beyond its 10 ms",
              "core-paused", "core", PAUSE_MS),
             ("→ the program in its window, Wine theme off", "the worker thread, its two waits "
              "per file for the window", "quillmere-classic", "core-paused", 0),
             ("→ with Wine's default theme", "the themed drawing of the log and the bar",
              "quillmere", "quillmere-classic", 0),
             ("**total**", "", "quillmere", "bare", PAUSE_MS)]
    out.append("Step by step at height 100, from the rounds: each step adds one thing to the one "
               "before, worked out within each round (ms per file):\n")
    table(out, ["step", "adds", "median", "each round"],
          [[name, adds, fmt(median(values), 1, "+"), ", ".join(fmt(v, 1, "+") for v in values)]
           for name, adds, *step in steps for values in [results.steps(*step)]],
          ["---", "---", R, "---"])
    sleep = median(num(r, "sleep10_mean_ms") for r in results.runs("core"))
    tools = [("quillmere", "worker_cpu_ms"), ("quillmere-classic", "worker_cpu_ms"),
             ("bare", "loop_cpu_ms")]
    time = [results.per_file(tool) for tool, _ in tools]
    cpu = [results.per_file(tool, "h100", key) for tool, key in tools]
    idle = [None if None in (t, c, sleep) else t - c - (sleep if i < 2 else 0)
            for i, (t, c) in enumerate(zip(time, cpu))]
    ui = [fmt(results.per_file(tool, "h100", "ui_cpu_ms")) for tool, _ in tools[:2]]
    out.append("Where a file's time goes at height 100 (medians of the rounds, ms per file):\n")
    table(out, ["", "theme on", "theme off", "bare loop"], [
        ["batch time", *map(fmt, time)],
        ["CPU of the run's worker (of the loop's thread for the bare loop)", *map(fmt, cpu)],
        ["the 10 ms pause as Wine sleeps it", fmt(sleep), fmt(sleep), "—"],
        ["the worker neither computing nor pausing: waiting for the window or a core",
         *map(fmt, idle)],
        ["CPU of the window's thread", *ui, "—"]])


def window_cost(results, out):
    ops = {(r.get("theme"), r.get("operation")): num(r, "median_ms")
           for r in results.of("window_op")}
    names = {"WM_NULL": "an empty round trip (`WM_NULL`)", "AppendLog": "the log line "
             "(`AppendLog`)", "SetProgress": "the progress step (`SetProgress`)"}
    if any(ops.get((theme, op)) is None for theme in ("light", "off") for op in names):
        return
    wait = [ops[(theme, "AppendLog")] + ops[(theme, "SetProgress")] for theme in ("light", "off")]
    out.append("### What the window costs per file\n\nThe worker waits for two messages per file, "
               "each answered before the window draws and at least one wineserver round trip; "
               "timed from a second thread on the shown window, 50 ms apart (median of 60, ms):\n")
    table(out, ["", "theme on", "theme off"],
          [[name, fmt(ops[("light", op)], 2), fmt(ops[("off", op)], 2)]
           for op, name in names.items()]
          + [["**the worker's wait per file**", *(f"**{w:.2f}**" for w in wait)]]
          + [[f"its share of a file's time, {name}",
              f"{wait[0] / results.per_file('quillmere', size):.1%}", "—"]
             for size, name in SIZES.items() if results.per_file("quillmere", size)])


def quality(results, out):
    scores = {(r.get("tool"), r.get("size"), r.get("image")): num(r, "psnr_db")
              for r in results.of("quality")}
    gaps = [scores[(peer, size, image)] - scores[("quillmere", size, image)]
            for peer in PEERS for size in SIZES for image in ("text_page", "zone_plate")
            if None not in (scores.get((peer, size, image)), scores.get(("quillmere", size, image)))]
    if not gaps:
        return
    out.append("## Quality\n\nA 4000×3000 page of 28-pixel Liberation Serif text and a zone "
               "plate (0 to half a cycle per pixel), reduced by each tool as above (Quillmere: its "
               "`ResizeAndSave`) to PNG. PSNR in dB against the exact area average of the source "
               "over each output pixel's footprint, which no tool makes; ms per file from above.\n")
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
    samples, verdicts = results.of("soak", "sample"), {}
    out.append(f"## Memory and handles\n\nOne program process, {results.info.get('soak_runs')} "
               f"runs over the same {results.info.get('soak_files')} files at height 100.\n")
    table(out, ["when", "files done", "peak working set (MiB)", "working set (MiB)",
                "private (MiB)", "kernel handles *", "GDI table *", "windows *"],
          [[s.get("label", "").replace("_", " "), s.get("files_done")]
           + [fmt(num(s, key) / 1024) for key in ("peak_ws_kb", "ws_kb", "private_kb")]
           + [s.get(key) for key in ("kernel_handles", "gdi_table", "windows")] for s in samples],
          ["---"] + [R] * 7)
    out.append("\\* Stand-ins, as Wine 8 answers `GetGuiResources` and `GetProcessHandleCount` "
               "with 0: entries in the system handle list, live GDI table entries, windows.\n")
    settled = [s for s in samples if s.get("label", "").startswith("after_run_")]
    if len(settled) >= 2:
        growth = num(settled[-1], "private_kb") - num(settled[0], "private_kb")
        verdicts["handles"] = all(len({s.get(k) for s in settled}) == 1
                                  for k in ("kernel_handles", "gdi_table", "windows"))
        verdicts["memory"] = growth <= MEMORY_NOISE_KB
        out.append(f"From the first run's end to the last's private memory changes by "
                   f"{growth:+.0f} KiB (noise allowance {MEMORY_NOISE_KB} KiB).\n")
    table(out, ["run", "files", "time (s)", "ms per file", "window thread CPU, ms per file"],
          [[r.get("run"), r.get("files"), fmt(num(r, "ms") / 1000, 2), fmt(num(r, "ms", "files")),
            fmt(num(r, "ui_cpu_ms", "files"), 2)] for r in results.of("soak", "run")])
    out.append("## Responsiveness\n\nDuring each run of the memory test the driver timed the main "
               "window's answer to `WM_NULL` (`SendMessageTimeoutW`, 5 s) at each of its polls, "
               f"every 10 ms. Target: every answer within {TARGET_ANSWER_MS:.0f} ms.\n")
    rows = []
    for r in results.of("soak", "answers"):
        answers = sorted((float(ms), int(at)) for ms, at in (
            sample.split("@") for sample in r.get("ms_at_file", "").split(",") if sample))
        times = [ms for ms, _ in answers]
        rows.append([r.get("run"), r.get("files"), len(times), fmt(median(times), 2),
                     fmt(times[len(times) * 99 // 100], 2), fmt(times[-1], 2), answers[-1][1],
                     sum(ms > TARGET_ANSWER_MS for ms in times), sum(ms > 5000 for ms in times)])
        verdicts["longest"] = max(verdicts.get("longest", 0), times[-1])
    table(out, ["run", "files", "samples", "median (ms)", "99th percentile (ms)", "longest (ms)",
                "at file", "over 50 ms", "timeouts"], rows)
    return verdicts


def scale(results, out):
    out.append("## Scale\n")
    for d in results.of("discovery"):
        out.append(f"**Discovery** of {num(d, 'files'):,.0f} image-named empty files: "
                   f"`ListImageFiles` takes {fmt(num(d, 'first_ms'))} ms the first time and "
                   f"{fmt(num(d, 'median_ms'))} ms as the median of {d.get('repeats')} more; a "
                   f"bare `FindFirstFileW`/`FindNextFileW` walk of its "
                   f"{num(d, 'entries'):,.0f} entries, {fmt(num(d, 'walk_median_ms'))} ms.\n")
    for first in results.of("first_line"):
        out.append(f"In a real run over that folder the first line came {fmt(num(first, 'ms'))} "
                   f"ms after the Start click; the count line said \"{first.get('count_line')}\".\n")
    out.append("**The activity log**: one `AppendLog` on the real main window (median of 101):\n")
    table(out, ["window", "caller", "lines", "median (ms)", "longest (ms)"],
          [[a.get("window"), a.get("caller", "").replace("_", " "), a.get("lines"),
            fmt(num(a, "median_ms"), 4), fmt(num(a, "max_ms"), 4)]
           for a in results.of("append_log")], ["---", "---", R, R, R])


def what_ran(results, out):
    info = results.info
    out += ["## What ran\n", "- Machine: {nproc} cores ({cpu}), {memory_gib} GiB, Linux {kernel}, "
            "{os}; load at the end {load_end}.\n- Wine: {wine}, null display driver; a copy of "
            "the prefix with `ThemeActive=0` for the theme-off runs.\n- mingw-w64 g++ {mingw}, "
            "Release; ImageMagick {imagemagick}, GraphicsMagick {graphicsmagick}, libvips "
            "{libvips}.\n- Corpus: ImageMagick `plasma:fractal` with fixed seeds, 1920×1080 JPEGs "
            "cut from 4000×3000 ones and 800×600 8-bit PNGs, JPEG quality 90.".format_map(info),
            f"- The whole benchmark took {info.get('elapsed_s')} s"
            f"{' (--quick)' if info.get('quick') == '1' else ''}: " + ", ".join(
                f"{s.get('name')} {s.get('seconds')} s" for s in results.of("section")) + ".\n"]


def targets(overheads, verdicts):
    met = lambda ok: "met" if ok else "**missed**"
    rows = [[f"overhead ≤ 3 % of batch time, {SIZES[size]}", f"{verdict}: {middle:.1%} ({low:.1%} "
             f"… {high:.1%})"] for size, (verdict, middle, low, high) in overheads.items()]
    if "memory" in verdicts:
        rows += [["no growth of handle or object counts across files and runs",
                  met(verdicts["handles"])],
                 ["no growth of memory across files and runs beyond noise", met(verdicts["memory"])]]
    if "longest" in verdicts:
        rows.append(["window answers within 50 ms throughout", f"{met(verdicts['longest'] <= 50)}"
                     f": longest {verdicts['longest']:.1f} ms"])
    out = ["## Targets\n"]
    table(out, ["target", "result"], rows, ["---", "---"])
    return out


def main():
    results, body = Results(parse(sys.argv[1])), []
    speed(results, body)
    overheads = overhead(results, body)
    for section in (breakdown, window_cost, quality):
        section(results, body)
    verdicts = soak(results, body)
    scale(results, body)
    what_ran(results, body)
    quick = " --quick: few files, not figures to quote" if results.info.get("quick") == "1" else ""
    head = ["# Benchmark results\n",
            f"Written by `scripts/bench`{quick}. Raw data: `build/bench-work/raw.txt`. Every "
            f"figure is from the Windows program under {results.info.get('wine')} on one Linux "
            f"{'virtual ' if results.info.get('virtual') == 'yes' else ''}machine with "
            f"{results.info.get('nproc')} cores ({results.info.get('cpu')}); none is from Windows.\n"]
    with open(sys.argv[2], "w", encoding="utf-8") as results_file:
        results_file.write("\n".join(head + targets(overheads, verdicts) + body))


if __name__ == "__main__":
    main()
