#!/usr/bin/env bash
# Builds mp2zel with its tests (warnings are errors) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh tests
cmake -S . -B build-tests -G Ninja -DMP2ZEL_WERROR=ON >/dev/null
cmake --build build-tests
ctest --test-dir build-tests --output-on-failure -j2
