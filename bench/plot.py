#!/usr/bin/env python3
"""Draws the "plot," lines of brisal_bench as one PNG: a panel per conversion,
time per pixel against frame size (megapixels, log scale), ours beside the
peers and the memset floor. Drawn by ImageMagick from a vector description.
    plot.py brisal_bench.log out.png
"""
import math
import subprocess
import sys

FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
COLOURS = ["#d62728", "#1f77b4", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b", "#7f7f7f"]
PANEL_W, PANEL_H, COLUMNS = 560, 360, 2
LEFT, RIGHT, TOP, BOTTOM = 60, 20, 40, 120


def read(path):
    data = {}
    for line in open(path):
        if not line.startswith("plot,"):
            continue
        # Series names may hold commas: the conversion is first, the numbers last.
        fields = line.rstrip("\n").split(",")
        conversion, series, pixels, ns = fields[1], ",".join(fields[2:-2]), fields[-2], fields[-1]
        data.setdefault(conversion, {}).setdefault(series, []).append((float(pixels), float(ns)))
    return data


def text(x, y, words, size=13):
    escaped = words.replace("\\", "\\\\").replace("'", "\\'")
    return f"fill black stroke none font-size {size} text {x:.0f},{y:.0f} '{escaped}'"


def panel(ox, oy, conversion, series):
    out = [f"font '{FONT}'", text(ox + LEFT, oy + 24, conversion, 16)]
    points = [p for values in series.values() for p in values]
    xs = [math.log10(p / 1e6) for p, _ in points]
    x0, x1 = min(xs), max(xs)
    y1 = max(ns for _, ns in points) * 1.1
    width, height = PANEL_W - LEFT - RIGHT, PANEL_H - TOP - BOTTOM

    def at(pixels, ns):
        x = ox + LEFT + (math.log10(pixels / 1e6) - x0) / (x1 - x0 or 1) * width
        return x, oy + TOP + height - ns / y1 * height

    out.append(f"stroke black stroke-width 1 fill none rectangle {ox + LEFT},{oy + TOP} "
               f"{ox + LEFT + width},{oy + TOP + height}")
    for i in range(5):
        ns = y1 * i / 4
        _, y = at(10 ** x0 * 1e6, ns)
        out.append(text(ox + 8, y + 4, f"{ns:.2f}", 11))
    for pixels in sorted({p for p, _ in points}):
        x, _ = at(pixels, 0)
        out.append(text(x - 14, oy + TOP + height + 16, f"{pixels / 1e6:.1f}", 11))
    out.append(text(ox + LEFT + width / 2 - 90, oy + TOP + height + 32, "megapixels (log)   y: ns per pixel", 11))
    for i, (name, values) in enumerate(sorted(series.items(), key=lambda s: (not s[0].startswith("ours"), s[0]))):
        colour = COLOURS[i % len(COLOURS)]
        stroke = 3 if name.startswith("ours") else 2
        # Segment by segment: a polyline may be drawn closed.
        corners = [at(p, ns) for p, ns in sorted(values)]
        for (xa, ya), (xb, yb) in zip(corners, corners[1:]):
            out.append(f"stroke '{colour}' stroke-width {stroke} line {xa:.1f},{ya:.1f} {xb:.1f},{yb:.1f}")
        ly = oy + TOP + height + 48 + 14 * i
        out.append(f"stroke '{colour}' stroke-width {stroke} line {ox + LEFT},{ly - 4} {ox + LEFT + 24},{ly - 4}")
        out.append(text(ox + LEFT + 30, ly, name, 11))
    return out


def main():
    data = read(sys.argv[1])
    rows = (len(data) + COLUMNS - 1) // COLUMNS
    draw = []
    for index, (conversion, series) in enumerate(data.items()):
        draw += panel(index % COLUMNS * PANEL_W, index // COLUMNS * PANEL_H, conversion, series)
    subprocess.run(["convert", "-size", f"{COLUMNS * PANEL_W}x{rows * PANEL_H}", "xc:white",
                    "-draw", "\n".join(draw), sys.argv[2]], check=True)


if __name__ == "__main__":
    main()
