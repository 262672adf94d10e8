#!/usr/bin/env bash
# Cross-compiles mp2zel.exe and zeldump.exe for Windows (static, no DLLs to
# ship) with Debian's mingw-w64, and packs them with the README into
# build-windows[-i686]/mp2zel-VERSION-windows-ARCH.zip.
#   tools/build-windows.sh [--arch x86_64|i686] [--test]
# x86_64 is the default; i686 is built with SSE2 arithmetic, so that its
# results are those of the 64-bit builds. --test then runs the golden,
# end-to-end and zeldump tests on the .exe files under wine (for i686 that
# needs 32-bit wine: Debian's wine32:i386, after dpkg --add-architecture i386).
# Installs what it needs (mingw-w64, wine, zip) with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
arch=x86_64
test=0
while [ $# -gt 0 ]; do
    case "$1" in
        --arch) arch=$2; shift 2 ;;
        --test) test=1; shift ;;
        *) echo "usage: tools/build-windows.sh [--arch x86_64|i686] [--test]" >&2; exit 2 ;;
    esac
done
case "$arch" in
    x86_64) build=build-windows; compilerPackage=g++-mingw-w64-x86-64; winePackages=(wine wine64) ;;
    i686) build=build-windows-i686; compilerPackage=g++-mingw-w64-i686; winePackages=(wine wine32:i386) ;;
    *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
need=()
command -v "$arch-w64-mingw32-g++-posix" >/dev/null 2>&1 || need+=("$compilerPackage")
command -v zip >/dev/null 2>&1 || need+=(zip)
if [ "$test" -eq 1 ]; then
    if [ "$arch" = i686 ] && ! dpkg -s wine32:i386 >/dev/null 2>&1; then
        $sudo dpkg --add-architecture i386
        need+=("${winePackages[@]}")
    elif ! command -v wine >/dev/null 2>&1; then
        need+=("${winePackages[@]}")
    fi
    bash tools/deps.sh tests
fi
if [ ${#need[@]} -gt 0 ]; then
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}"
fi
bash tools/deps.sh

# -O2: at -O3, GCC 12 for this target warns falsely (-Wstringop-overflow and
# the like) inside libstdc++, and the build treats warnings as errors.
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DMP2ZEL_TESTS=OFF -DMP2ZEL_WERROR=ON >/dev/null
cmake --build "$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package="mp2zel-$version-windows-$arch"
rm -rf "${build:?}/$package" "$build/$package.zip"
mkdir -p "$build/$package"
cp "$build/mp2zel.exe" "$build/zeldump.exe" "$build/$package/"
sed 's/$/\r/' README.md >"$build/$package/README.txt"
(cd "$build" && zip -qr "$package.zip" "$package")
echo "packed $build/$package.zip"

[ "$test" -eq 1 ] || exit 0

# The tests are built for Linux and run the .exe through a wrapper each. The
# wrapper gives wine a prefix of its own and maps the Windows spelling of the
# working folder (Z:\tmp\x) in the output back to the Linux one (/tmp/x): the
# one place where the two builds' console text may differ.
export WINEPREFIX="$root/$build/wineprefix" WINEDEBUG=-all
# Made, or brought up to date with the installed wine, before the runs start:
# a prefix that is updated on first use makes the runs racing it fail. One
# made by wine64 alone no longer starts once wine32 is installed: it is made
# again.
if ! wineboot -u >/dev/null 2>&1; then
    rm -rf "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
fi
# One wine server for all the runs, so that none of them races another's start
# (one left running by wineboot is replaced).
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p
trap 'wineserver -k || true' EXIT
for tool in mp2zel zeldump; do
    cat >"$build/run-$tool.sh" <<WRAPPER
#!/usr/bin/env bash
export WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all
out=\$(mktemp)
wine "$root/$build/$tool.exe" "\$@" >"\$out"
code=\$?
perl -0777 -pe 'BEGIN { (\$w, \$u) = splice(@ARGV, 0, 2) } s/\Q\$w\E/\$u/g' \
    "\$(winepath -w "\$PWD")" "\$PWD" "\$out"
rm -f "\$out"
exit \$code
WRAPPER
    chmod +x "$build/run-$tool.sh"
done
cmake -S . -B "$build-tests" -G Ninja -DMP2ZEL_WERROR=ON \
    -DMP2ZEL_TEST_EXE="$root/$build/run-mp2zel.sh" \
    -DZELDUMP_TEST_EXE="$root/$build/run-zeldump.sh" >/dev/null
cmake --build "$build-tests"
# Every test that runs the executables, but for what only a POSIX system has:
# running as another user (setpriv), a file size limit (ulimit), and a map
# that is a dangling link (wine does not list one).
ctest --test-dir "$build-tests" --output-on-failure -j2 \
    -R '^(Cases/Golden|Corpus|Driver|EmptyLevels|Example|FileSystem|Inspector|Jobs|Maps/Hostile|MergePhase|ReadZel|Zeldump|gnu_parallel)' \
    -E 'ReadOnlyFolders|FullDisk|UnopenableMap|MapThatVanished'

# Drive-style folders, which only the Windows build can be given: the example
# read from and written to Z:\… gives the bytes the Linux build writes.
work=$(mktemp -d)
cp -r examples/. "$work/"
mkdir -p "$work/out-windows" "$work/out-linux"
windowsIn=$(winepath -w "$work/in/maps")
windowsOut=$(winepath -w "$work/out-windows")
(cd "$work" && wine "$root/$build/mp2zel.exe" "-d[$windowsIn]" "-o[$windowsOut]" >windows.txt)
(cd "$work" && "$root/$build-tests/mp2zel" "-o[out-linux]" >/dev/null)
grep -qF "map was saved to file: $windowsOut/brookfield.zel" "$work/windows.txt"
cmp "$work/out-windows/brookfield.zel" "$work/out-linux/brookfield.zel"
rm -rf "$work"
echo "drive-style folders: the same bytes as the Linux build"
