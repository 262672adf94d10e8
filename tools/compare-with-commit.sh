#!/usr/bin/env bash
# Checks that a change keeps the output: builds mp2zel as it was at COMMIT (in
# a temporary worktree) and as it is in the work tree, then compares what both
# write (tools/compare-builds.sh).
#   tools/compare-with-commit.sh COMMIT
set -euo pipefail
cd "$(dirname "$0")/.."
commit=${1:?usage: tools/compare-with-commit.sh COMMIT}
old=$(mktemp -d)
trap 'git worktree remove --force "$old/src" >/dev/null 2>&1 || true; rm -rf "$old"' EXIT

git worktree add --detach "$old/src" "$commit" >/dev/null 2>&1
cmake -S "$old/src" -B "$old/build" -G Ninja -DMP2ZEL_TESTS=OFF >/dev/null
cmake --build "$old/build" --target mp2zel >/dev/null
cmake -S . -B build -G Ninja -DMP2ZEL_TESTS=OFF >/dev/null
cmake --build build --target mp2zel >/dev/null
echo "comparing $(git rev-parse --short "$commit") with the work tree"
bash tools/compare-builds.sh "$old/build/mp2zel" build/mp2zel
