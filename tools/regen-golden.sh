#!/usr/bin/env bash
# Rewrites the expected files of the golden cases (tests/golden/cases/*/expected)
# from the current build, on purpose: run it when a change is meant to alter
# the output, then read `git diff --stat tests/golden` and say why in the commit.
#   tools/regen-golden.sh [CASE]     (default: every case)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh tests
cmake -S . -B build-tests -G Ninja -DMP2ZEL_WERROR=ON >/dev/null
cmake --build build-tests --target golden_tests mp2zel zeldump >/dev/null
filter="Cases/Golden.*"
[ $# -gt 0 ] && filter="Cases/Golden.*/${1//-/_}"
MP2ZEL_REGENERATE=1 build-tests/tests/golden_tests --gtest_filter="$filter" --gtest_brief=1
echo "REGENERATED the expected golden files from this build:"
git status --short tests/golden/cases
echo "Review them (git diff --stat tests/golden) and say in the commit why the output changed."
