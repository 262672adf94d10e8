#!/usr/bin/env bash
# Builds the libFuzzer harnesses with Clang and runs each for a while.
#   tools/fuzz.sh SECONDS [HARNESS...]     (default: all four harnesses)
# Seeds: the example maps, the shared corpus when present, the example maps
# compiled to .zel, and the regression inputs kept in tests/fuzz/regressions.
# Inputs that crash, leak, hang or exhaust memory are written to
# build-fuzz/findings/ and fail the run; slow ones are only kept there.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=(pipeline_fuzz parser_fuzz clip_fuzz zelfile_fuzz)

bash tools/deps.sh clang
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMP2ZEL_FUZZ=ON -DMP2ZEL_TESTS=OFF >/dev/null
cmake --build build-fuzz --target mp2zel pipeline_fuzz parser_fuzz clip_fuzz zelfile_fuzz

seeds=build-fuzz/seeds
rm -rf "$seeds"
mkdir -p "$seeds/maps" "$seeds/zel" "$seeds/clip" build-fuzz/findings
cp examples/in/maps/*.mp "$seeds/maps/"
if [ -d ../shared/corpus ]; then
    cp ../shared/corpus/*.mp "$seeds/maps/"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/in"
cp -r examples/in/maps "$work/in/maps"
(cd "$work" && "$OLDPWD/build-fuzz/mp2zel" >/dev/null)
cp "$work"/*.zel "$seeds/zel/"
head -c 64 /dev/urandom >"$seeds/clip/random"

for harness in "${harnesses[@]}"; do
    case "$harness" in
        pipeline_fuzz | parser_fuzz) seed="$seeds/maps" ;;
        zelfile_fuzz) seed="$seeds/zel" ;;
        *) seed="$seeds/clip" ;;
    esac
    corpus="build-fuzz/corpus/$harness"
    regressions="tests/fuzz/regressions/$harness"
    mkdir -p "$corpus" "$regressions"
    echo "== $harness for ${seconds}s"
    "build-fuzz/fuzz/$harness" "$corpus" "$regressions" "$seed" \
        -max_total_time="$seconds" -timeout=60 -report_slow_units=30 -rss_limit_mb=4096 -max_len=262144 \
        -artifact_prefix=build-fuzz/findings/"$harness"- -print_final_stats=1 2>&1 |
        grep -E '^(#[0-9]+[[:space:]]+DONE|Done|stat::number_of_executed_units|stat::peak_rss_mb|==[0-9]+==ERROR|SUMMARY|INFO: seed corpus)' || true
    if ls build-fuzz/findings/"$harness"-{crash,leak,timeout,oom}-* >/dev/null 2>&1; then
        echo "$harness found a failing input: see build-fuzz/findings/" >&2
        exit 1
    fi
done
