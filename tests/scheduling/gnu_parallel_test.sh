#!/usr/bin/env bash
# The GNU parallel form of docs/scheduling.md, run locally ("-S :" is this
# machine): N shares together write the files of one plain run, byte for
# byte, and no map is compiled twice, for several N (one larger than the
# number of maps).
#   gnu_parallel_test.sh MP2ZEL SOURCE_DIR
set -euo pipefail
exe=$(realpath "$1")
source=$(realpath "$2")
if ! command -v parallel >/dev/null 2>&1; then
    echo "GNU parallel is not installed (tools/deps.sh tests installs it)"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/maps/in/maps"
cp "$source/examples/in/maps/brookfield.mp" "$work/maps/in/"
cp "$source/examples/in/maps/brookfield.mp" "$work/maps/in/maps/a.mp"
for map in "$source"/tests/golden/cases/*/in/maps/*.mp; do
    cp "$map" "$work/maps/in/maps/"
done
maps=$(ls "$work/maps/in/maps" | wc -l)

cp -r "$work/maps" "$work/plain"
(cd "$work/plain" && "$exe" "-o[out]" >/dev/null)

for shares in 2 3 $((maps + 2)); do
    rm -rf "$work/shared" && cp -r "$work/maps" "$work/shared"
    parallel --will-cite -S : --workdir "$work/shared" "$exe" "-o[out]" "-s{}/$shares" \
        ::: $(seq 1 "$shares") >"$work/shares.txt"
    if ! diff -r "$work/plain" "$work/shared"; then
        echo "$shares shares wrote other files than one run"
        exit 1
    fi
    compiled=$(grep -c "current map:" "$work/shares.txt")
    distinct=$(grep "current map:" "$work/shares.txt" | sed 's/.*current map: //' | sort -u | wc -l)
    if [ "$compiled" -ne "$maps" ] || [ "$distinct" -ne "$maps" ]; then
        echo "$shares shares compiled $compiled maps ($distinct distinct) of $maps"
        exit 1
    fi
done
echo "shares of 2, 3 and $((maps + 2)) wrote the files of one run"
