#!/usr/bin/env python3
"""Rejects an #include that points against the layer order.

Each folder may include its own headers and those of the folders its row
names (docs/ARCHITECTURE.md keeps the table); tests and scripts are free.
Prints every offending line and exits 1, or exits 0 when there is none.

    tools/check-layers.py
"""
import os
import re
import sys

ALLOWED = {
    "platform": set(),
    "model": {"platform"},
    "geometry": {"model", "platform"},
    "format": {"platform"},
    "reader": {"model", "geometry", "platform"},
    "passes": {"model", "geometry", "platform"},
    "writer": {"model", "geometry", "format", "platform"},
    "driver": {"reader", "passes", "writer", "format", "model", "geometry", "platform"},
    "tools/zeldump": {"format", "platform"},
}
INCLUDE = re.compile(r'\s*#\s*include\s+"([^"]+)"')


def folder_of(header):
    for folder in ALLOWED:
        if header.startswith(folder + "/"):
            return folder
    return header.split("/")[0] if "/" in header else None


def main():
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    bad = []
    for folder, allowed in ALLOWED.items():
        for root, _, names in os.walk(folder):
            for name in sorted(names):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(root, name)
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = folder_of(match.group(1))
                        if target is not None and target != folder and target not in allowed:
                            bad.append(f"{path}:{number}: {folder}/ may not include {match.group(1)}")
    for line in bad:
        print(line)
    if bad:
        print(f"{len(bad)} include(s) against the layer order (docs/ARCHITECTURE.md)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
