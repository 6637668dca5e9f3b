"""A horizontal bar chart drawn with ImageMagick, for bench/results.md."""
import os
import subprocess

COLOURS = {"quillmere": "#c0392b", "quillmere-classic": "#e6a19a", "bare": "#7f8c8d",
           "core": "#bdc3c7", "core-paused": "#d5d8dc", "imagemagick": "#2980b9",
           "graphicsmagick": "#27ae60", "vipsthumbnail": "#8e44ad"}
FONTS = ("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
         "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc")


def draw_chart(rows, title, path):
    """rows: (label, value, tool) tuples, None for a gap between groups."""
    bars = [row for row in rows if row]
    if not bars:
        return
    width, label_width, bar_height, gap = 1000, 450, 20, 6
    height = 50 + len(rows) * (bar_height + gap)
    top = max(value for _, value, _ in bars)
    # Text goes between single quotes in ImageMagick's drawing language.
    primitives = [f"text 10,25 '{title}'"]
    y = 40
    for row in rows:
        if row is None:
            y += gap * 2
            continue
        label, value, tool = row
        label = label.replace("'", "\u2019")
        length = (width - label_width - 90) * value / top
        primitives.append(f"fill black text 10,{y + 15} '{label}'")
        primitives.append(f"fill {COLOURS.get(tool, '#555555')} rectangle {label_width},{y} "
                          f"{label_width + length:.0f},{y + bar_height}")
        primitives.append(f"fill black text {label_width + length + 6:.0f},{y + 15} '{value:.1f}'")
        y += bar_height + gap

    command = ["/usr/bin/convert", "-size", f"{width}x{height}", "xc:white"]
    font = next((candidate for candidate in FONTS if os.path.exists(candidate)), None)
    if font:
        command += ["-font", font]
    command += ["-pointsize", "13"]
    # One -draw per primitive: ImageMagick's policy refuses to read drawings from a file.
    for primitive in primitives:
        command += ["-draw", primitive]
    subprocess.run(command + [path], check=True)
