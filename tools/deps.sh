#!/usr/bin/env bash
# Installs the build tools a fresh Debian (or Ubuntu) machine may lack.
#   tools/deps.sh          compiler, CMake and Ninja
#   tools/deps.sh tests    ... and GoogleTest and GNU parallel
#   tools/deps.sh clang    ... and Clang (for the sanitizer build)
#   tools/deps.sh format   ... and clang-format
set -euo pipefail

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
command -v g++ >/dev/null 2>&1 || need+=(g++)
for extra in "$@"; do
    case "$extra" in
        tests)
            [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
            command -v parallel >/dev/null 2>&1 || need+=(parallel) ;;
        clang) command -v clang++ >/dev/null 2>&1 || need+=(clang) ;;
        format) command -v clang-format >/dev/null 2>&1 || need+=(clang-format) ;;
        *) echo "deps.sh: unknown argument '$extra'" >&2; exit 2 ;;
    esac
done
[ ${#need[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
    echo "Please install: ${need[*]}" >&2
    exit 1
fi
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${need[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}"
