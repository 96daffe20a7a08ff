#!/usr/bin/env python3
"""The soak's table, plot and verdict from TesseraSoak's record.
    soak_report.py record.csv --cameras N --fps F --title T --plot out.png [--mechanics]
Prints a Markdown table of the run (one row a minute), the cameras at the
end, the schedule's steps and the verdict; exit status 0 only when it passes.

The verdict of a full run:
- the viewer showed every camera, did not crash, and ended with exit code 0
  within a minute of its last window closing;
- no scheduled step failed;
- every camera delivered at least 90 % of its frame rate over the last minute;
- after the warm-up (the first fifth of the run, at least two minutes), the
  median of the last third of the samples exceeds that of the first third by
  no more than 4 MB committed, 8 MB resident, 16 handles and 2 threads.
  4 MB is less than one decoded 1280x960 frame (4.9 MB), so a lost frame buffer
  fails it, and over the ~16 minutes between the thirds of a 30-minute run
  (about 300 steps) so does a loss of 14 KB or more per step; resident memory
  also follows the platform's caches, hence twice that. The medians keep a
  property frame that happens to be open at a sample from counting as growth.
In every run each camera must have failed and recovered at least once.
The mechanics form (--mechanics, the short CI run) checks the same except the
rates and the flatness: every camera's count still rising over the last 20 s.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
from plot import COLOURS, FONT, text  # noqa: E402

BOUNDS = {"committed": 4 * 1024, "resident": 8 * 1024, "handles": 16, "threads": 2}


def read(path):
    run = {"samples": [], "frames": {}, "steps": [], "messages": [], "notes": [], "start": None,
           "crash": None, "exit": None}
    if not os.path.exists(path):
        return run
    for line in open(path, errors="replace"):
        f = line.rstrip("\n").split(",")
        kind, t = f[0], float(f[1])
        if kind == "sample":
            run["samples"].append((t, int(f[2]), int(f[3]), int(f[4]), int(f[5])))
        elif kind == "frames":
            run["frames"].setdefault(int(f[2]), []).append((t, int(f[3]), int(f[4])))
        elif kind == "step":
            run["steps"].append((t, int(f[2]), f[3], f[4], ",".join(f[5:])))
        elif kind == "message":
            run["messages"].append((t, ",".join(f[2:])))
        elif kind == "note":
            run["notes"].append(",".join(f[2:]))
        elif kind == "start":
            run["start"] = (int(f[2]), int(f[3]))
        elif kind == "crash":
            run["crash"] = f[2]
        elif kind == "exit":
            run["exit"] = (f[2], float(f[3]))
    return run


def rate_over(points, seconds):
    """Frames per second over the last `seconds` of a camera's counts."""
    if len(points) < 2:
        return 0.0, 0
    end_t, end_n, _ = points[-1]
    first = next((p for p in points if p[0] >= end_t - seconds), points[0])
    span = end_t - first[0]
    return ((end_n - first[1]) / span if span > 0 else 0.0), end_n - first[1]


def flatness(samples, minutes):
    """(name, first-third median, last-third median, growth, bound) after warm-up."""
    warm = max(120.0, minutes * 60 / 5)
    after = [s for s in samples if s[0] >= warm]
    if len(after) < 6:
        return None
    third = len(after) // 3
    rows = []
    for index, name in ((2, "committed"), (1, "resident"), (3, "handles"), (4, "threads")):
        first = statistics.median(s[index] for s in after[:third])
        last = statistics.median(s[index] for s in after[-third:])
        rows.append((name, first, last, last - first, BOUNDS[name]))
    return warm, rows


def phase_table(samples, minutes):
    """The process at the start, after the warm-up and at the end."""
    if not samples:
        return []
    warm = max(120.0, minutes * 60 / 5)
    after = next((s for s in samples if s[0] >= warm), samples[-1])
    lines = ["| | at s | resident MB | committed MB | handles | threads |", "|---|---:|---:|---:|---:|---:|"]
    for name, s in (("start", samples[0]), ("after warm-up", after), ("end", samples[-1])):
        lines.append(f"| {name} | {s[0]:.0f} | {s[1] / 1024:.1f} | {s[2] / 1024:.1f} | {s[3]} | {s[4]} |")
    return lines


def minute_table(run):
    lines = ["| min | resident MB | committed MB | handles | threads | frames/s (all) | dropped (all) |",
             "|---:|---:|---:|---:|---:|---:|---:|"]
    totals = {}
    for serial, points in run["frames"].items():
        for t, delivered, dropped in points:
            totals.setdefault(round(t), {})[serial] = (delivered, dropped)
    times = sorted(totals)

    def all_at(t):
        near = min(times, key=lambda x: abs(x - t)) if times else None
        if near is None:
            return 0, 0
        values = totals[near].values()
        return sum(v[0] for v in values), sum(v[1] for v in values)

    last_t, last_frames = None, 0
    shown_minute = -1
    for t, resident, committed, handles, threads in run["samples"]:
        if int(t // 60) == shown_minute and t != run["samples"][-1][0]:
            continue
        shown_minute = int(t // 60)
        delivered, dropped = all_at(t)
        fps = (delivered - last_frames) / (t - last_t) if last_t is not None and t > last_t else 0.0
        lines.append(f"| {t / 60:.1f} | {resident / 1024:.1f} | {committed / 1024:.1f} | {handles} | "
                     f"{threads} | {fps:.1f} | {dropped} |")
        last_t, last_frames = t, delivered
    return lines


def plot(run, title, path):
    width, height, left, top, panel_h, gap = 1100, 900, 80, 50, 230, 60
    samples = run["samples"]
    if not samples:
        return
    t1 = max(s[0] for s in samples) / 60 or 1
    draw = [f"font '{FONT}'", text(left, 30, title, 16)]

    def panel(index, label, series):
        oy = top + index * (panel_h + gap)
        values = [v for _, points in series for _, v in points]
        y1 = max(values) * 1.1 if values and max(values) > 0 else 1
        draw.append(f"stroke black stroke-width 1 fill none rectangle {left},{oy} {width - 20},{oy + panel_h}")
        for i in range(5):
            y = oy + panel_h - panel_h * i / 4
            draw.append(text(8, y + 4, f"{y1 * i / 4:.{0 if y1 >= 40 else 1}f}", 11))
        for i in range(7):
            x = left + (width - 20 - left) * i / 6
            draw.append(text(x - 8, oy + panel_h + 16, f"{t1 * i / 6:.{0 if t1 >= 12 else 1}f}", 11))
        draw.append(text(left + 4, oy - 6, label + "   (x: minutes)", 12))
        for n, (name, points) in enumerate(series):
            colour = COLOURS[n % len(COLOURS)]
            corners = [(left + (width - 20 - left) * (t / 60) / t1, oy + panel_h - v / y1 * panel_h)
                       for t, v in points]
            for (xa, ya), (xb, yb) in zip(corners, corners[1:]):
                draw.append(f"stroke '{colour}' stroke-width 2 line {xa:.1f},{ya:.1f} {xb:.1f},{yb:.1f}")
            lx = left + 10 + 100 * n
            draw.append(f"stroke '{colour}' stroke-width 2 line {lx},{oy + panel_h + 32} {lx + 20},{oy + panel_h + 32}")
            draw.append(text(lx + 24, oy + panel_h + 36, name, 11))

    panel(0, "memory, MB", [("resident", [(s[0], s[1] / 1024) for s in samples]),
                            ("committed", [(s[0], s[2] / 1024) for s in samples])])
    panel(1, "handles and threads", [("handles", [(s[0], s[3]) for s in samples]),
                                     ("threads", [(s[0], s[4]) for s in samples])])
    rates = []
    for serial, points in sorted(run["frames"].items()):
        series = [(b[0], (b[1] - a[1]) / (b[0] - a[0])) for a, b in zip(points, points[1:]) if b[0] > a[0]]
        rates.append((str(serial), series))
    panel(2, "frames per second delivered, per camera", rates)
    # A long run draws more than a command line holds: the drawing goes in a file.
    with tempfile.NamedTemporaryFile("w", suffix=".mvg", delete=False) as mvg:
        mvg.write(f"viewbox 0 0 {width} {height}\nfill white rectangle 0,0 {width},{height}\n")
        mvg.write("\n".join(draw) + "\n")
    try:
        subprocess.run(["convert", f"mvg:{mvg.name}", path], check=True)
    finally:
        os.unlink(mvg.name)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("record")
    parser.add_argument("--cameras", type=int, required=True)
    parser.add_argument("--fps", type=float, required=True)
    parser.add_argument("--title", default="soak")
    parser.add_argument("--plot")
    parser.add_argument("--mechanics", action="store_true")
    args = parser.parse_args()
    run = read(args.record)
    failures = []

    duration = run["samples"][-1][0] if run["samples"] else 0.0
    print(f"### {args.title}\n")
    print("\n".join(phase_table(run["samples"], duration / 60)))
    print()
    print("\n".join(minute_table(run)))

    window = 20.0 if args.mechanics else 60.0
    print(f"\n| camera | delivered | dropped | fps over the last {window:.0f} s |\n|---:|---:|---:|---:|")
    for serial, points in sorted(run["frames"].items()):
        fps, frames = rate_over(points, window)
        print(f"| {serial} | {points[-1][1]} | {points[-1][2]} | {fps:.2f} |")
        if frames <= 0:
            failures.append(f"camera {serial} delivered nothing in the last {window:.0f} s")
        elif not args.mechanics and fps < 0.9 * args.fps:
            failures.append(f"camera {serial} at {fps:.2f} fps, below 90 % of {args.fps}")
    if len(run["frames"]) < args.cameras:
        failures.append(f"{len(run['frames'])} of {args.cameras} cameras counted frames")

    counts = {}
    for _, _, action, result, _ in run["steps"]:
        counts.setdefault(action, {"ok": 0, "fail": 0, "skip": 0})[result] += 1
    print("\n| step | ok | failed | skipped |\n|---|---:|---:|---:|")
    for action, c in counts.items():
        print(f"| {action} | {c['ok']} | {c['fail']} | {c['skip']} |")
    # Every camera must have met the failure and come back, or the run did
    # not show that cameras recover.
    recovered = {serial for _, serial, action, result, _ in run["steps"]
                 if action == "fail-recover" and result == "ok"}
    for serial in sorted(run["frames"]):
        if serial not in recovered:
            failures.append(f"camera {serial} never failed and recovered")
    for t, serial, action, result, detail in run["steps"]:
        if result == "fail":
            failures.append(f"{action} of camera {serial} at {t:.0f} s failed: {detail}")
    for note in run["notes"]:
        print(f"\nnote: {note}")
    if run["messages"]:
        print(f"\n{len(run['messages'])} message boxes answered, first: {run['messages'][0][1]}")

    if not run["start"] or run["start"][0] < args.cameras:
        failures.append(f"the viewer showed {run['start'][0] if run['start'] else 0} of {args.cameras} cameras")
    if run["crash"] is not None:
        failures.append(f"the viewer ended during the run (exit code {run['crash']})")
    elif run["exit"] is None:
        failures.append("the run did not reach its end")
    elif run["exit"][0] != "0":
        failures.append(f"after its windows closed the viewer ended with {run['exit'][0]}")
    else:
        print(f"\nclean exit {run['exit'][1]:.1f} s after the windows closed")

    if not args.mechanics:
        flat = flatness(run["samples"], duration / 60)
        if flat is None:
            failures.append("too few samples after the warm-up to judge memory and handles")
        else:
            warm, rows = flat
            print(f"\nafter the warm-up ({warm / 60:.1f} min): median of the first and the last third\n")
            print("| measure | first third | last third | growth | bound |\n|---|---:|---:|---:|---:|")
            for name, first, last, growth, bound in rows:
                unit = " KB" if name in ("committed", "resident") else ""
                print(f"| {name} | {first:.0f}{unit} | {last:.0f}{unit} | {growth:+.0f}{unit} | {bound}{unit} |")
                if growth > bound:
                    failures.append(f"{name} grew by {growth:.0f}{unit} (bound {bound}{unit})")
    if args.plot:
        plot(run, args.title, args.plot)
        print(f"\nplot: {args.plot}")
    print("\nverdict: " + ("PASS" if not failures else "FAIL"))
    for failure in failures:
        print(f"- {failure}")
    return 0 if not failures else 1


if __name__ == "__main__":
    sys.exit(main())
