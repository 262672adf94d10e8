#!/usr/bin/env bash
# Output must not depend on the compiler or its optimisation level: compiles
# the example maps and the shared corpus (when present) with two builds of
# mp2zel and compares the .zel files byte for byte.
#   tools/compare-builds.sh BUILD_A/mp2zel BUILD_B/mp2zel
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

for build in first second; do
    mkdir -p "$work/$build/in"
    cp -r "$work/maps" "$work/$build/in/maps"
    (cd "$work/$build" && "${!build}" >/dev/null)
done

status=0
for zel in "$work"/first/*.zel; do
    name=$(basename "$zel")
    if ! cmp -s "$zel" "$work/second/$name"; then
        echo "differs between builds: $name"
        status=1
    fi
done
count=$(ls "$work"/first/*.zel | wc -l)
[ "$status" -eq 0 ] && echo "same bytes from both builds for $count maps"
exit "$status"
