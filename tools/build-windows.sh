#!/usr/bin/env bash
# Cross-compiles mp2zel.exe and zeldump.exe for 64-bit Windows (static, no
# DLLs to ship) with Debian's mingw-w64, and packs them with the README into
# build-windows/mp2zel-VERSION-windows-x86_64.zip.
#   tools/build-windows.sh          build and pack
#   tools/build-windows.sh --test   ... then run the golden, end-to-end and
#                                   zeldump tests on the .exe files under wine
# Installs what it needs (g++-mingw-w64-x86-64, wine, zip) with apt-get.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || need+=(g++-mingw-w64-x86-64)
command -v zip >/dev/null 2>&1 || need+=(zip)
if [ "${1:-}" = "--test" ]; then
    command -v wine >/dev/null 2>&1 || need+=(wine wine64)
    bash tools/deps.sh tests
fi
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}"
fi
bash tools/deps.sh

# -O2: at -O3, GCC 12 for this target warns falsely (-Wstringop-overflow and
# the like) inside libstdc++, and the build treats warnings as errors.
cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DMP2ZEL_TESTS=OFF -DMP2ZEL_WERROR=ON >/dev/null
cmake --build build-windows
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
package="mp2zel-$version-windows-x86_64"
rm -rf "build-windows/$package" "build-windows/$package.zip"
mkdir -p "build-windows/$package"
cp build-windows/mp2zel.exe build-windows/zeldump.exe "build-windows/$package/"
sed 's/$/\r/' README.md >"build-windows/$package/README.txt"
(cd build-windows && zip -qr "$package.zip" "$package")
echo "packed build-windows/$package.zip"

[ "${1:-}" = "--test" ] || exit 0

# The tests are built for Linux and run the .exe through a wrapper each. The
# wrapper gives wine a prefix of its own and maps the Windows spelling of the
# working folder (Z:\tmp\x) in the output back to the Linux one (/tmp/x): the
# one place where the two builds' console text may differ.
export WINEPREFIX="$root/build-windows/wineprefix" WINEDEBUG=-all
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
# One wine server for all the runs, so that none of them races another's start.
wineserver -p
trap 'wineserver -k || true' EXIT
for tool in mp2zel zeldump; do
    cat >"build-windows/run-$tool.sh" <<WRAPPER
#!/usr/bin/env bash
export WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all
out=\$(mktemp)
wine "$root/build-windows/$tool.exe" "\$@" >"\$out"
code=\$?
perl -0777 -pe 'BEGIN { (\$w, \$u) = splice(@ARGV, 0, 2) } s/\Q\$w\E/\$u/g' \
    "\$(winepath -w "\$PWD")" "\$PWD" "\$out"
rm -f "\$out"
exit \$code
WRAPPER
    chmod +x "build-windows/run-$tool.sh"
done
cmake -S . -B build-wine-tests -G Ninja -DMP2ZEL_WERROR=ON \
    -DMP2ZEL_TEST_EXE="$root/build-windows/run-mp2zel.sh" \
    -DZELDUMP_TEST_EXE="$root/build-windows/run-zeldump.sh" >/dev/null
cmake --build build-wine-tests
# Every test that runs the executables, but for what only a POSIX system has:
# running as another user (setpriv), a file size limit (ulimit), and a map
# that is a dangling link (wine does not list one).
ctest --test-dir build-wine-tests --output-on-failure -j2 \
    -R '^(Cases/Golden|Corpus|Driver|EmptyLevels|Example|FileSystem|Inspector|Jobs|Maps/Hostile|MergePhase|ReadZel|Zeldump|gnu_parallel)' \
    -E 'ReadOnlyFolders|FullDisk|UnopenableMap|MapThatVanished'
