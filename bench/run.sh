#!/usr/bin/env bash
# Measures mp2zel's time and peak memory, one thread, and prints one table:
#  - the synthetic routable map (tools/genmap.py, every feature on) at three
#    sizes, with MB/s, the ratio to `wc -l` over the same file in the same run
#    and the peak memory as a ratio to the input;
#  - each pathological shape (bench/shapes.py) at three sizes, so that a
#    reader sees time and memory grow with the size and no faster.
#
#   bench/run.sh [--binary PATH] [--quick]
#
# Without --binary it builds a Release mp2zel in build-release/. --quick runs
# the smallest size of each row only. Maps are generated in a temporary folder
# (about 200 MB of input and up to 700 MB of output at a time).
set -euo pipefail
cd "$(dirname "$0")/.."
binary=""
quick=0
while [ $# -gt 0 ]; do
    case "$1" in
        --binary) binary=$(realpath "$2"); shift 2 ;;
        --quick) quick=1; shift ;;
        *) echo "usage: bench/run.sh [--binary PATH] [--quick]" >&2; exit 2 ;;
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

# Runs the compiler on the one map in $work/in/maps; prints
# "seconds peak-KiB input-bytes output-bytes".
measure() {
    rm -f "$work"/*.zel
    (cd "$work" && /usr/bin/time -f "%e %M" -o "$work/time.txt" "$binary" >/dev/null)
    local input output
    input=$(stat -c %s "$work"/in/maps/*.mp)
    output=$(stat -c %s "$work"/*.zel 2>/dev/null || echo 0)
    echo "$(cat "$work/time.txt") $input $output"
}

mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1e6 }'; }

echo "mp2zel: $binary"
echo "machine: $(nproc) cores, $(uname -m)"
echo
echo "| map | input | output | time | MB/s | time / wc -l | peak memory | memory / input |"
echo "|---|---|---|---|---|---|---|---|"

sizes="25 50 100"
[ "$quick" -eq 1 ] && sizes="25"
for size in $sizes; do
    rm -rf "$work/in" && mkdir -p "$work/in/maps"
    python3 tools/genmap.py "$size" "$work/in/maps/synthetic.mp"
    read -r seconds kib input output < <(measure)
    wcstart=$(date +%s%N)
    wc -l "$work/in/maps/synthetic.mp" >/dev/null
    wcseconds=$(awk -v ns=$(($(date +%s%N) - wcstart)) 'BEGIN { print ns / 1e9 }')
    awk -v s="$seconds" -v k="$kib" -v i="$input" -v o="$output" -v w="$wcseconds" -v n="$size" \
        'BEGIN { printf "| synthetic routable %d MB | %.1f MB | %.1f MB | %.2f s | %.1f | %.0f x | %.0f MB | %.2f |\n",
                 n, i / 1e6, o / 1e6, s, i / 1e6 / (s > 0 ? s : 0.01), s / (w > 0 ? w : 0.001),
                 k * 1024 / 1e6, k * 1024 / i }'
done

for shape in label polygon scatter line world segment; do
    scales="1 2 4"
    case "$shape" in world | segment | scatter) scales="0.25 0.5 1" ;; esac
    [ "$quick" -eq 1 ] && scales=${scales%% *}
    for scale in $scales; do
        rm -rf "$work/in" && mkdir -p "$work/in/maps"
        python3 bench/shapes.py "$shape" "$scale" "$work/in/maps/$shape.mp"
        read -r seconds kib input output < <(measure)
        awk -v s="$seconds" -v k="$kib" -v i="$input" -v o="$output" -v n="$shape" -v x="$scale" \
            'BEGIN { printf "| %s x%s | %.1f MB | %.1f MB | %.2f s | | | %.0f MB | %.1f |\n",
                     n, x, i / 1e6, o / 1e6, s, k * 1024 / 1e6, k * 1024 / i }'
    done
done
