#!/usr/bin/env bash
# Installs the built project into a staging prefix, then builds and runs a small
# consumer twice: once through find_package(hostmath), once through pkg-config.
# Usage: test_install.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
stage=$work/stage
rm -rf "$work"
mkdir -p "$work"

cmake --install "$build" --prefix "$stage" >/dev/null
test -x "$stage/bin/hostmath"
"$stage/bin/hostmath" __float2half_rn 1 | grep -qx "1 0x3c00"
soname=$(find "$stage" -name 'libhostmath.so.1' | head -n 1)
test -L "$soname" && test -L "$(dirname "$soname")/libhostmath.so"

cmake -S "$here/consumer" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$stage" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
"$work/cmake-build/consumer"
"$work/cmake-build/c_consumer"
# A GoogleTest failure shows check's report: the counts, the histogram and the
# mismatch with its input, expected and got values.
if [ -x "$work/cmake-build/gtest_consumer" ]; then
  "$work/cmake-build/gtest_consumer" >/dev/null
  if "$work/cmake-build/gtest_consumer" --gtest_also_run_disabled_tests --gtest_filter='*ShowsTheReport' \
      >"$work/gtest.out"; then
    echo "the failing GoogleTest consumer passed" >&2
    exit 1
  fi
  for line in "erfinvf(float): 3 elements, 2 identical, 1 mismatches (max ulp 0, nan exact)" "histogram:" \
      "first 1 of 1 mismatches:" "  [2]  x = 0.75 0x3f400000  expected "; do
    if ! grep -qF -- "$line" "$work/gtest.out"; then
      echo "the GoogleTest failure lacks the report's line: $line" >&2
      cat "$work/gtest.out" >&2
      exit 1
    fi
  done
fi

pc_dir=$(dirname "$(find "$stage" -name hostmath.pc | head -n 1)")
libdir=$(PKG_CONFIG_PATH=$pc_dir pkg-config --variable=libdir hostmath)
# shellcheck disable=SC2046
c++ -o "$work/pc-consumer" "$here/consumer/main.cpp" $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs hostmath) \
  -Wl,-rpath,"$libdir"
"$work/pc-consumer"
# shellcheck disable=SC2046
cc -std=c11 -pedantic-errors -o "$work/pc-c-consumer" "$here/consumer/main.c" \
  $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs hostmath) -Wl,-rpath,"$libdir"
"$work/pc-c-consumer"

# The Python package, when built: importable from the staged tree, its
# extension loading the staged library (HOSTMATH_PYTHON names the interpreter).
if [ -n "${HOSTMATH_PYTHON:-}" ]; then
  PYTHONPATH="$stage/lib/python3/dist-packages" "$HOSTMATH_PYTHON" -c '
import numpy as np, hostmath, sys
assert hostmath.__file__.startswith(sys.argv[1]), hostmath.__file__
assert hostmath.float2half_rn(np.float32(1)).view(np.uint16) == 0x3c00' "$stage"
  extension=$(find "$stage" -name '_hostmath*.so')
  # grep reads all of ldd's output: grep -q would stop at the match, and ldd,
  # still writing, would die of SIGPIPE and fail the pipeline (pipefail).
  ldd "$extension" | grep "libhostmath.so.1 => $stage/" >/dev/null
fi
echo "install test passed"
