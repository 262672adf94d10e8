#!/usr/bin/env bash
# Times mp2zel and measures its peak memory on a synthetic map of a given size.
#   bench/run.sh [SIZE_MB]     (default 100; needs build/mp2zel or build-tests/mp2zel)
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-100}
binary=build/mp2zel
[ -x "$binary" ] || binary=build-tests/mp2zel
binary=$(realpath "$binary")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in/maps"
python3 tools/genmap.py "$size" "$work/in/maps/synthetic.mp"
echo "map: $(du -h "$work/in/maps/synthetic.mp" | cut -f1)"
(cd "$work" && /usr/bin/time -f "wall %e s, peak memory %M KiB" "$binary" >/dev/null)
echo "output: $(du -h "$work"/synthetic.zel | cut -f1)"
