#!/usr/bin/env bash
# The Debian packages' round trip, as root: lintian finds no error in any of
# them; installed, they give a working command with its manual page and a
# -dev package that a CMake consumer and a pkg-config one (no run path: the
# library is in a system directory) build against; removed, they leave
# nothing behind.
# Usage: test_packages.sh DEB... (the libhostmath1 package among them)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
debs=("$@")
names=()
for deb in "${debs[@]}"; do
  names+=("$(dpkg-deb -f "$deb" Package)")
done

lintian --fail-on error "${debs[@]}"

work=$(mktemp -d)
remove() {
  dpkg --purge "${names[@]}" >/dev/null
  rm -rf "$work"
}
trap remove EXIT
dpkg -i "${debs[@]}" >/dev/null

version=$(dpkg-deb -f "$1" Version)
hostmath --version | grep -qx "hostmath $version"
hostmath __float2half_rn 65520 | grep -qx "inf 0x7c00"
man -w hostmath >/dev/null

cmake -S "$here/consumer" -B "$work/cmake-build" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
"$work/cmake-build/consumer"
"$work/cmake-build/c_consumer"
# shellcheck disable=SC2046
c++ -std=c++17 -o "$work/pc-consumer" "$here/consumer/main.cpp" $(pkg-config --cflags --libs hostmath)
"$work/pc-consumer"
# shellcheck disable=SC2046
cc -std=c11 -o "$work/pc-c-consumer" "$here/consumer/main.c" $(pkg-config --cflags --libs hostmath)
"$work/pc-c-consumer"
if dpkg -s python3-hostmath >/dev/null 2>&1; then
  /usr/bin/python3 -c "import hostmath"
fi

trap - EXIT
remove
for gone in /usr/bin/hostmath /usr/include/hostmath.h; do
  if [ -e "$gone" ]; then
    echo "$gone is left after removing the packages" >&2
    exit 1
  fi
done
if ldconfig -p | grep -q libhostmath || dpkg -l "${names[@]}" 2>/dev/null | grep -q '^[a-z][a-z] '; then
  echo "libhostmath is still known to the loader cache or to dpkg after the packages are purged" >&2
  exit 1
fi
echo "package test passed: ${names[*]}"
