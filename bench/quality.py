#!/usr/bin/env python3
"""Usage: quality.py sources DIR FONT   writes the test images DIR/text_page.png, zone_plate.png
       quality.py score SOURCES OUTPUTS  a PSNR line per image in each OUTPUTS/TOOL-SIZE/
"""
import math
import os
import sys

import numpy
from PIL import Image, ImageDraw, ImageFont

WIDTH, HEIGHT, TEXT_PIXELS = 4000, 3000, 28  # 28-point text at 72 dots per inch
WORDS = ("the quick brown fox jumps over a lazy dog while five boxing wizards jump quickly pack "
         "my box with five dozen liquor jugs 0123456789 Sphinx of black quartz judge my vow").split()
IMAGES = ("text_page", "zone_plate")


def text_page(font_path):
    """A page of small serif text: fine strokes, the detail a reduction keeps or breaks."""
    page = Image.new("L", (WIDTH, HEIGHT), 255)
    draw, font = ImageDraw.Draw(page), ImageFont.truetype(font_path, TEXT_PIXELS)
    for line, top in enumerate(range(40, HEIGHT - 2 * TEXT_PIXELS, TEXT_PIXELS * 5 // 4)):
        draw.text((40, top), " ".join(WORDS[(line * 7 + i) % len(WORDS)] for i in range(200)),
                  font=font, fill=0)
    return page


def zone_plate():
    """Rings whose frequency rises from 0 at the centre to half a cycle per pixel at the left
    and right edges: every frequency that a reduction must filter out."""
    y, x = numpy.mgrid[0:HEIGHT, 0:WIDTH] + 0.5
    phase = math.pi * ((x - WIDTH / 2) ** 2 + (y - HEIGHT / 2) ** 2) / WIDTH
    return Image.fromarray(numpy.rint(127.5 + 127.5 * numpy.cos(phase)).astype(numpy.uint8), "L")


def area_average_along(pixels, count, axis):
    """count values along axis, each the mean over its exact footprint [i, i + 1) × length /
    count. A pixel is constant over its unit square, so the running sum read between two
    pixel edges by linear interpolation is exact."""
    pixels = numpy.moveaxis(pixels, axis, -1)
    length, step = pixels.shape[-1], pixels.shape[-1] / count
    running = numpy.concatenate([numpy.zeros(pixels.shape[:-1] + (1,)), numpy.cumsum(pixels, -1)], -1)
    edges = numpy.arange(count + 1) * step
    whole = numpy.minimum(edges.astype(int), length - 1)
    sums = running[..., whole] + (edges - whole) * pixels[..., whole]
    return numpy.moveaxis(numpy.diff(sums, axis=-1) / step, -1, axis)


def score(sources_dir, outputs_dir):
    for folder in sorted(os.listdir(outputs_dir)):
        tool, size = folder.rsplit("-", 1)
        for image in IMAGES:
            path = os.path.join(outputs_dir, folder, image + ".png")
            if not os.path.exists(path):
                print(f"quality tool={tool} size={size} image={image} missing=1")
                continue
            output = numpy.asarray(Image.open(path).convert("L"), dtype=numpy.float64)
            source = numpy.asarray(Image.open(os.path.join(sources_dir, image + ".png")), numpy.float64)
            reference = area_average_along(area_average_along(source, output.shape[0], 0),
                                           output.shape[1], 1)
            error = numpy.mean((output - reference) ** 2)
            print(f"quality tool={tool} size={size} image={image} width={output.shape[1]} "
                  f"height={output.shape[0]} psnr_db={10 * math.log10(255 ** 2 / error):.2f}")


def main():
    if sys.argv[1:2] == ["sources"] and len(sys.argv) == 4:
        os.makedirs(sys.argv[2], exist_ok=True)
        for image, make in zip(IMAGES, (lambda: text_page(sys.argv[3]), zone_plate)):
            path = os.path.join(sys.argv[2], image + ".png")
            if not os.path.exists(path):
                make().save(path + ".tmp.png")
                os.replace(path + ".tmp.png", path)
    elif sys.argv[1:2] == ["score"] and len(sys.argv) == 4:
        score(*sys.argv[2:4])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
