#!/usr/bin/env bash
# Measures -jN against one map at a time: four synthetic routable maps of about
# 10 MB each (tools/genmap.py, different seeds), compiled once plainly and once
# with -j2 (or the given N), Release build. Prints wall time, speed-up and
# peak memory of each run, and checks that both runs wrote the same bytes.
#
#   bench/jobs.sh [--binary PATH] [--jobs N] [--maps M] [--size MB]
set -euo pipefail
cd "$(dirname "$0")/.."
binary=""
jobs=2
maps=4
size=10
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary=$(realpath "$2"); shift 2 ;;
        --jobs) jobs=$2; shift 2 ;;
        --maps) maps=$2; shift 2 ;;
        --size) size=$2; shift 2 ;;
        *) echo "usage: bench/jobs.sh [--binary PATH] [--jobs N] [--maps M] [--size MB]" >&2; exit 2 ;;
    esac
done
if [ -z "$binary" ]; then
    bash tools/deps.sh
    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMP2ZEL_TESTS=OFF >/dev/null
    cmake --build build-release --target mp2zel >/dev/null
    binary=$(realpath build-release/mp2zel)
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in/maps"
for k in $(seq 1 "$maps"); do
    python3 tools/genmap.py "$size" "$work/in/maps/map$k.mp" --seed "$k"
done
input=$(cat "$work"/in/maps/*.mp | wc -c)

# Runs the compiler with the given options into $work/$1; prints "seconds peak-KiB".
measure() {
    local out=$1
    shift
    mkdir -p "$work/$out"
    (cd "$work" && /usr/bin/time -f "%e %M" -o "$work/time.txt" "$binary" "-o[$out]" "$@" >"$work/$out.txt")
    cat "$work/time.txt"
}

read -r plain plainkib < <(measure one)
read -r parallel parallelkib < <(measure many "-j$jobs")
if ! diff -r "$work/one" "$work/many" >/dev/null; then
    echo "the runs wrote different files" >&2
    exit 1
fi
cmp -s <(sed "s|/many/|/one/|g" "$work/many.txt") "$work/one.txt" || {
    echo "the runs printed different text" >&2
    exit 1
}

echo "mp2zel: $binary"
echo "machine: $(nproc) cores, $(uname -m); $maps maps, $(awk -v b="$input" 'BEGIN { printf "%.1f", b / 1e6 }') MB in all"
echo
echo "| run | time | speed-up | peak memory |"
echo "|---|---|---|---|"
awk -v s="$plain" -v k="$plainkib" 'BEGIN { printf "| one map at a time | %.2f s | 1.00 x | %.0f MB |\n", s, k * 1024 / 1e6 }'
awk -v s="$parallel" -v p="$plain" -v k="$parallelkib" -v j="$jobs" \
    'BEGIN { printf "| -j%s | %.2f s | %.2f x | %.0f MB |\n", j, s, p / (s > 0 ? s : 0.01), k * 1024 / 1e6 }'
