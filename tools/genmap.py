#!/usr/bin/env python3
"""Writes a synthetic Polish map of about the requested size, for benchmarks
and memory measurements: a grid of routable streets with node references,
boundary nodes on the edge and turn restrictions, houses as points of interest
and polygons with addresses, parks, several levels, and labels in a declared
code page.

    tools/genmap.py SIZE_MB OUT.mp [--seed N] [--codepage 1251]
"""
import argparse
import random

STREET_WORDS = ["Lipovaya", "Sadovaya", "Tsentralnaya", "Lesnaya", "Rechnaya", "Polevaya"]
CYRILLIC = "АБВГДЕЖЗИКЛМНОПРСТУФХЦЧШЭЮЯабвгдежзиклмнопрстуфхцчшэюя"


def label(rng, words):
    text = rng.choice(words) + " " + "".join(rng.choice(CYRILLIC) for _ in range(rng.randint(3, 9)))
    return text


def header(out, codepage):
    out.write(f"[IMG ID]\r\nID=70000001\r\nName=Synthetic\r\nCodePage={codepage}\r\n"
              "Levels=4\r\nLevel0=24\r\nLevel1=22\r\nLevel2=20\r\nLevel3=18\r\n[END-IMG ID]\r\n\r\n")
    out.write("[Countries]\r\nCountry1=Synthland\r\n[END-Countries]\r\n\r\n")
    out.write("[Regions]\r\nRegion1=North\r\nCountryIdx1=1\r\nRegion2=South\r\nCountryIdx2=1\r\n"
              "[END-Regions]\r\n\r\n")
    out.write("[Cities]\r\n")
    for c in range(1, 21):
        out.write(f"City{c}=Town {c}\r\nRegionIdx{c}={1 + c % 2}\r\n")
    out.write("[END-Cities]\r\n\r\n")


def coordinate(lat, lon):
    return f"({lat:.6f},{lon:.6f})"


def road(out, rng, road_id, points, nodes, city, name):
    """A routable line; `nodes` holds (point index, node id, boundary flag)."""
    out.write(f"[POLYLINE]\r\nType=0x{rng.choice([2, 3, 5, 6]):x}\r\nLabel={name}\r\n")
    out.write(f"CityIdx={city}\r\nStreetDesc={name}\r\nRoadID={road_id}\r\n")
    out.write(f"RouteParam={rng.randint(0, 7)},{rng.randint(0, 4)},{rng.choice([0, 0, 0, 1])},0,0,0,0,0,0,0,0,0\r\n")
    out.write("EndLevel=1\r\nData0=" + ",".join(coordinate(*p) for p in points) + "\r\n")
    for k, (index, node, boundary) in enumerate(nodes):
        out.write(f"Nod{k + 1}={index},{node},{boundary}\r\n")
    out.write("[END]\r\n\r\n")


def house(out, rng, lat, lon, city, name, number):
    out.write(f"[POI]\r\nType=0x{rng.choice([0x2f00, 0x2a00, 0x6400]):x}\r\nLabel={number}\r\n")
    out.write(f"CityIdx={city}\r\nStreetDesc={name}\r\nHouseNumber={number}\r\n")
    out.write(f"Data0={coordinate(lat, lon)}\r\n[END]\r\n\r\n")


def building(out, lat, lon, city, name, number, size):
    ring = [(lat, lon), (lat, lon + size), (lat + size, lon + size), (lat + size, lon)]
    out.write(f"[POLYGON]\r\nType=0x13\r\nCityIdx={city}\r\nStreetDesc={name}\r\nHouseNumber={number}\r\n")
    out.write(f"Floors=3\r\nData0={','.join(coordinate(*p) for p in ring)}\r\n[END]\r\n\r\n")


def generate(out, target_bytes, rng, codepage):
    """Rows of east-west streets of eleven nodes each, joined to the row before
    by north-south lanes at every fifth node, with a turn restriction where
    each lane meets its street. The west end of every 200th street lies on the
    map's boundary."""
    header(out, codepage)
    step = 0.002
    lat0, lon0 = 55.0, 37.0
    road_id = 1
    row = 0
    restrictions = []

    def node_id(r, j):
        return r * 11 + j + 1

    while out.tell() < target_bytes:
        lat = lat0 + row * step
        name = label(rng, STREET_WORDS)
        city = 1 + row % 20
        points = [(lat, lon0 + k * step / 4) for k in range(41)]
        nodes = [(k, node_id(row, k // 4), 1 if k == 0 and row % 200 == 0 else 0) for k in range(0, 41, 4)]
        street_road = road_id
        road(out, rng, street_road, points, nodes, city, name)
        road_id += 1
        if row > 0:
            for j in (0, 5, 10):
                lon = lon0 + j * step
                lane = [(lat - step, lon), (lat, lon)]
                road(out, rng, road_id, lane, [(0, node_id(row - 1, j), 0), (1, node_id(row, j), 0)],
                     city, label(rng, STREET_WORDS))
                if j < 10:
                    restrictions.append((node_id(row - 1, j), node_id(row, j), node_id(row, j + 1),
                                         road_id, street_road))
                road_id += 1
        for k in range(0, 40, 2):
            house(out, rng, lat + step / 8, lon0 + k * step / 4, city, name, f"{k + 1}")
            if k % 4 == 0:
                building(out, lat + step / 6, lon0 + k * step / 4, city, name, f"{k + 1}A", step / 12)
        if row % 10 == 0:
            out.write(f"[POLYGON]\r\nType=0x17\r\nLabel=Park {row}\r\nEndLevel=3\r\nData0=")
            ring = [(lat + step * 0.3, lon0 + k * step) for k in range(5)]
            ring += [(lat + step * 5, lon0 + (4 - k) * step) for k in range(5)]
            out.write(",".join(coordinate(*p) for p in ring))
            out.write("\r\n[END]\r\n\r\n")
        row += 1
    for r in restrictions:
        out.write(f"[Restrict]\r\nTraffPoints={r[0]},{r[1]},{r[2]}\r\nTraffRoads={r[3]},{r[4]}\r\n[END-Restrict]\r\n\r\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("size_mb", type=float)
    parser.add_argument("out")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--codepage", type=int, default=1251)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    encoding = "utf-8" if args.codepage == 65001 else f"cp{args.codepage}"
    with open(args.out, "w", encoding=encoding, newline="") as out:
        generate(out, int(args.size_mb * 1e6), rng, args.codepage)


if __name__ == "__main__":
    main()
