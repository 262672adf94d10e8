#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted as .clang-format
# says; `clang-format -i FILE` formats one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh format
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
echo "every C++ file is clang-formatted"
