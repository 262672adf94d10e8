#!/usr/bin/env bash
# Builds mp2zel and compiles the bundled example maps in a copy of examples/
# (build/example), so the repository stays clean.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh
cmake -S . -B build -G Ninja -DMP2ZEL_TESTS=OFF >/dev/null
cmake --build build

rm -rf build/example
cp -r examples build/example
cd build/example
../mp2zel "$@"
echo
echo "Output in $(pwd):"
ls -l ./*.zel
