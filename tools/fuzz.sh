#!/usr/bin/env bash
# Builds the libFuzzer harnesses with Clang and runs each for a while, as many
# at a time as the machine has cores.
#   tools/fuzz.sh SECONDS [HARNESS...]     (default: all four harnesses)
#   FUZZ_JOBS=N tools/fuzz.sh ...          (N harnesses at a time; default: one per core)
#   FUZZ_TIMEOUT=S tools/fuzz.sh ...       (a run slower than S seconds is a finding; default 10)
# Seeds: the example and golden maps, the shared corpus when present and the
# golden .zel files; the regression inputs kept in tests/fuzz/regressions are
# run first. Inputs stay small (a few KB: long inputs are the hostile tests'
# business) and the map harnesses get a dictionary of the format's words.
# Allocation stacks are not recorded (a finding is rerun without
# ASAN_OPTIONS to get them): that makes every run a good share faster.
# The grown corpora stay in build-fuzz/corpus (outside the repository); inputs
# that crash, leak, hang or exhaust memory are written to build-fuzz/findings/
# and fail the run: copy each into tests/fuzz/regressions/HARNESS once fixed.
set -euo pipefail
shopt -s extglob
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -eq 0 ] && harnesses=(pipeline_fuzz parser_fuzz clip_fuzz zelfile_fuzz)

bash tools/deps.sh clang
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMP2ZEL_FUZZ=ON -DMP2ZEL_TESTS=OFF >/dev/null
cmake --build build-fuzz --target pipeline_fuzz parser_fuzz clip_fuzz zelfile_fuzz

seeds=build-fuzz/seeds
rm -rf "$seeds"
mkdir -p "$seeds/maps" "$seeds/zel" "$seeds/clip" build-fuzz/findings build-fuzz/logs
cp examples/in/maps/*.mp "$seeds/maps/"
for map in tests/golden/cases/*/in/maps/*.mp; do
    cp "$map" "$seeds/maps/$(basename "$(dirname "$(dirname "$(dirname "$map")")")")-$(basename "$map")"
done
if [ -d ../shared/corpus ]; then
    cp ../shared/corpus/*.mp "$seeds/maps/"
fi
cp tests/golden/cases/*/expected/*.zel "$seeds/zel/" 2>/dev/null || true
head -c 64 /dev/urandom >"$seeds/clip/random"

run() {
    local harness=$1 seed options=()
    case "$harness" in
        parser_fuzz)
            seed="$seeds/maps"
            options=(-dict=tests/fuzz/polish.dict -max_len=4096) ;;
        pipeline_fuzz)
            # With tens of thousands of features, the entropic scheduler's
            # bookkeeping costs as much as the run itself.
            seed="$seeds/maps"
            options=(-dict=tests/fuzz/polish.dict -max_len=4096 -entropic=0) ;;
        zelfile_fuzz) seed="$seeds/zel"; options=(-max_len=4096) ;;
        *) seed="$seeds/clip"; options=(-max_len=1024) ;;
    esac
    local corpus="build-fuzz/corpus/$harness"
    mkdir -p "$corpus"
    ASAN_OPTIONS=malloc_context_size=0 "build-fuzz/fuzz/$harness" "$corpus" "tests/fuzz/regressions/$harness" "$seed" \
        "${options[@]}" -max_total_time="$seconds" -timeout="${FUZZ_TIMEOUT:-10}" -report_slow_units=5 \
        -rss_limit_mb=2048 -artifact_prefix=build-fuzz/findings/"$harness"- \
        -print_final_stats=1 >"build-fuzz/logs/$harness.log" 2>&1 || true
    echo "== $harness, ${seconds}s:" \
        "$(grep -E '^stat::number_of_executed_units' "build-fuzz/logs/$harness.log" | awk '{print $2}') runs," \
        "$(grep -E '^stat::peak_rss_mb' "build-fuzz/logs/$harness.log" | awk '{print $2}') MB peak," \
        "$(ls "$corpus" | wc -l) corpus inputs"
    grep -E '==[0-9]+==ERROR|^SUMMARY' "build-fuzz/logs/$harness.log" || true
}

parallel=${FUZZ_JOBS:-$(nproc)}
for harness in "${harnesses[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$parallel" ]; do
        wait -n
    done
    run "$harness" &
done
wait

failed=0
for harness in "${harnesses[@]}"; do
    # compgen lists what the patterns match (ls would fail when one kind is
    # missing, hiding the others).
    if compgen -G "build-fuzz/findings/$harness-@(crash|leak|timeout|oom)-*" >/dev/null; then
        echo "$harness found a failing input: see build-fuzz/findings/ and build-fuzz/logs/" >&2
        failed=1
    fi
done
exit "$failed"
