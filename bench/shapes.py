#!/usr/bin/env python3
"""Writes a map of one pathological shape, for measuring that no shape of map
costs more than its size. SCALE multiplies what makes the shape big (points,
label length, area or length), so 1, 2 and 4 show how cost grows.

    bench/shapes.py SHAPE SCALE OUT.mp

Shapes (at scale 1):
  label    a polyline whose label is 20 MB long, across 40 squares
  polygon  one polygon of 200,000 points crossing about a thousand squares:
           a random walk that crosses itself and the square borders often
  scatter  one polygon of 200,000 points drawn uniformly in the same box as
           `polygon`: every edge crosses many squares and the ring crosses
           itself everywhere
  line     one straight polyline of 400,000 points on two levels
  world    one polygon spanning 340 x 20 degrees (at scale 1; 5 degrees per
           quarter of the scale) at 90-second squares
  segment  a two-point line from (0.1, 0.1) to (60, 120) on a 26-bit level
           (a quarter of that length per quarter of the scale)
"""
import random
import sys

HEADER = ("[IMG ID]\r\nID=1\r\nName={name}\r\nCodePage=1252\r\nLevels={levels}\r\n"
          "{bits}[END-IMG ID]\r\n\r\n")


def header(name, bits):
    lines = "".join(f"Level{i}={b}\r\n" for i, b in enumerate(bits))
    return HEADER.format(name=name, levels=len(bits) + 1, bits=lines)


def coordinates(points):
    return ",".join(f"({lat:.7f},{lon:.7f})" for lat, lon in points)


def label(out, scale):
    # 40 squares of 90" along the line; every piece of it carries the label.
    out.write(header("label", [24, 22]))
    length = int(20_000_000 * scale)
    text = ("Long Street " * (length // 12 + 1))[:length]
    out.write(f"[POLYLINE]\r\nType=0x6\r\nLabel={text}\r\n")
    points = [(45.5 + 0.001 * (k % 2), 12.4 + k * 0.025) for k in range(41)]
    out.write(f"Data0={coordinates(points)}\r\n[END]\r\n")


def polygon(out, scale):
    # A random walk inside a box of 0.8 degrees, about 32 x 32 squares of 90";
    # its steps are too long for simplification to drop points.
    rng = random.Random(5)
    out.write(header("polygon", [24, 22]))
    count = int(200_000 * scale)
    lat, lon = 45.5, 12.4
    ring = []
    for _ in range(count):
        lat = min(45.9, max(45.1, lat + rng.gauss(0.0, 0.002)))
        lon = min(12.8, max(12.0, lon + rng.gauss(0.0, 0.002)))
        ring.append((lat, lon))
    out.write(f"[POLYGON]\r\nType=0x4e\r\nLabel=Walk\r\nData0={coordinates(ring)}\r\n[END]\r\n")


def scatter(out, scale):
    rng = random.Random(7)
    out.write(header("scatter", [24, 22]))
    count = int(200_000 * scale)
    ring = [(rng.uniform(45.1, 45.9), rng.uniform(12.0, 12.8)) for _ in range(count)]
    out.write(f"[POLYGON]\r\nType=0x4e\r\nLabel=Scatter\r\nData0={coordinates(ring)}\r\n[END]\r\n")


def line(out, scale):
    out.write(header("line", [24, 22]))
    count = int(400_000 * scale)
    step = 0.000002
    points = [(45.0 + k * step, 12.0 + k * step * 2) for k in range(count)]
    out.write("[POLYLINE]\r\nType=0x6\r\nLabel=Straight\r\nEndLevel=1\r\n")
    out.write(f"Data0={coordinates(points)}\r\n[END]\r\n")


def world(out, scale):
    out.write(header("world", [24]))
    height = 20.0 * scale
    ring = [(0.0, -170.0), (height, -170.0), (height, 170.0), (0.0, 170.0)]
    out.write(f"[POLYGON]\r\nType=0x4b\r\nLabel=Wide\r\nData0={coordinates(ring)}\r\n[END]\r\n")


def segment(out, scale):
    out.write(header("segment", [26]))
    end = (0.1 + 59.9 * scale, 0.1 + 119.9 * scale)
    out.write("[POLYLINE]\r\nType=0x6\r\nLabel=Long\r\n")
    out.write(f"Data0={coordinates([(0.1, 0.1), end])}\r\n[END]\r\n")


def main():
    shapes = {"label": label, "polygon": polygon, "scatter": scatter, "line": line, "world": world,
              "segment": segment}
    if len(sys.argv) != 4 or sys.argv[1] not in shapes:
        sys.exit(__doc__)
    with open(sys.argv[3], "w", encoding="cp1252", newline="") as out:
        shapes[sys.argv[1]](out, float(sys.argv[2]))


if __name__ == "__main__":
    main()
