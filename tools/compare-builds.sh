#!/usr/bin/env bash
# Output must not depend on the compiler, its optimisation level or a change
# that only restructures the code: compiles the same maps with two builds of
# mp2zel and compares the .zel files byte for byte and the console text line
# for line (with the working folder replaced by a placeholder).
#   tools/compare-builds.sh BUILD_A/mp2zel BUILD_B/mp2zel
# The maps: the examples, the shared corpus when present and a generated
# routable map, each compiled on its own (per-map phase) and all together
# (merge phase), once plainly and once with -a.
set -euo pipefail
cd "$(dirname "$0")/.."
first=$(realpath "$1")
second=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/maps"
cp examples/in/maps/*.mp "$work/maps/"
if [ -d ../shared/corpus ]; then
    cp ../shared/corpus/*.mp "$work/maps/"
fi
python3 tools/genmap.py 2 "$work/maps/synthetic.mp" --seed 7 >/dev/null

status=0
runs=0
for options in "" "-a"; do
    for build in first second; do
        dir="$work/$build${options}"
        mkdir -p "$dir/in"
        cp -r "$work/maps" "$dir/in/maps"
        cp "$work"/maps/*.mp "$dir/in/"
        (cd "$dir" && "${!build}" $options >"$dir.stdout")
        sed -i "s#$dir#WORKDIR#g" "$dir.stdout"
    done
    if ! cmp -s "$work/first${options}.stdout" "$work/second${options}.stdout"; then
        echo "console text differs between builds (options '${options}'):"
        diff "$work/first${options}.stdout" "$work/second${options}.stdout" | head -n 20
        status=1
    fi
    for zel in "$work/first${options}"/*.zel; do
        name=$(basename "$zel")
        runs=$((runs + 1))
        if ! cmp -s "$zel" "$work/second${options}/$name"; then
            echo "differs between builds (options '${options}'): $name"
            status=1
        fi
    done
    count_first=$(ls "$work/first${options}"/*.zel | wc -l)
    count_second=$(ls "$work/second${options}"/*.zel | wc -l)
    if [ "$count_first" -ne "$count_second" ]; then
        echo "the builds wrote $count_first and $count_second files (options '${options}')"
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "same bytes and console text from both builds for $runs files"
exit "$status"
