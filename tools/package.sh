#!/usr/bin/env bash
# Builds the Debian package with CPack: build-package/mp2zel_VERSION_ARCH.deb
# with /usr/bin/mp2zel, /usr/bin/zeldump, their man pages and the README.
#   tools/package.sh          build the package
#   tools/package.sh --test   ... then install it, compile the example with the
#                             installed mp2zel, check the result with the
#                             installed zeldump and the man pages, and remove it
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
command -v dpkg-shlibdeps >/dev/null 2>&1 || {
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q dpkg-dev
}
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DMP2ZEL_TESTS=OFF >/dev/null
cmake --build build-package
(cd build-package && cpack >/dev/null)
deb=$(ls build-package/mp2zel_*.deb)
echo "built $deb"
dpkg-deb --contents "$deb" | awk '{print $6}'

[ "${1:-}" = "--test" ] || exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "./$deb" >/dev/null
trap 'DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -q mp2zel >/dev/null' EXIT
work=$(mktemp -d)
cp -r examples/. "$work/"
(cd "$work" && /usr/bin/mp2zel >"$work/out.txt")
grep -q "map was saved to file: $work/brookfield.zel" "$work/out.txt"
/usr/bin/zeldump "$work/brookfield.zel" >/dev/null
# The installed programs compile exactly what the build of the same sources does.
mkdir -p "$work/again" && cp -r examples/. "$work/again/"
(cd "$work/again" && "$OLDPWD/build-package/mp2zel" >/dev/null)
cmp "$work/brookfield.zel" "$work/again/brookfield.zel"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)
[ "$(/usr/bin/mp2zel --version)" = "mp2zel $version" ]
[ "$(/usr/bin/zeldump --version)" = "zeldump $version" ]
test -f /usr/share/man/man1/mp2zel.1.gz && test -f /usr/share/man/man1/zeldump.1.gz
test -f /usr/share/doc/mp2zel/README.md
rm -rf "$work"
echo "the installed package compiles the example"
