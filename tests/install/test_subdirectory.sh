#!/usr/bin/env bash
# Adds hostmath to the consumer project with add_subdirectory, as a static
# library (BUILD_SHARED_LIBS=OFF).  The consumer's build must make the library
# and its own program only (none of hostmath's tests, command or packaging),
# the program must hold the library rather than load it, and the static
# library must export exactly the registry's functions.
# Usage: test_subdirectory.sh SOURCE_DIR WORK_DIR READELF NM REGISTRY_OBJECT
set -euo pipefail
source=$1
work=$2
readelf=$3
nm=$4
registry_object=$5
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$work"

cmake -S "$here/consumer" -B "$work" -DHOSTMATH_SOURCE_DIR="$source" -DBUILD_SHARED_LIBS=OFF >/dev/null
cmake --build "$work" -j 2 >/dev/null
"$work/consumer"
for unwanted in hostmath/tests hostmath/tools CPackConfig.cmake; do
  if [ -e "$work/$unwanted" ]; then
    echo "the consumer's build holds $unwanted" >&2
    exit 1
  fi
done
if "$readelf" -d "$work/consumer" | grep -q libhostmath; then
  echo "the consumer loads libhostmath instead of holding the static library" >&2
  exit 1
fi
cmake -DREADELF="$readelf" -DNM="$nm" -DLIBRARY="$work/hostmath/libhostmath.a" -DREGISTRY_OBJECT="$registry_object" \
  -DFIRST_RELEASE="$source/tests/exported_symbols.txt" \
  "-DHEADERS=$source/include/hostmath.h;$source/include/hostmath/batch.h;$source/include/hostmath/hostmath_c.h" -P "$source/tests/check_exported_symbols.cmake"
echo "subdirectory test passed"
