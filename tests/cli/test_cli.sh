#!/usr/bin/env bash
# Runs the hostmath command on good and bad input and checks its output, its
# messages and its exit status.  Usage: test_cli.sh HOSTMATH [EMULATOR...]
set -u
hostmath=("${@:2}" "$1")
passed=0
failed=0

# check NAME EXPECTED_STATUS EXPECTED_STDOUT STDERR_PATTERN [ARG...]   (stdin from $input)
check() {
  local name=$1 status=$2 stdout=$3 stderr_pattern=$4
  shift 4
  local out err code
  out=$(printf '%b' "${input:-}" | "${hostmath[@]}" "$@" 2>/tmp/hostmath_cli_err.$$)
  code=$?
  err=$(cat /tmp/hostmath_cli_err.$$)
  if [ "$code" != "$status" ] || [ "$out" != "$stdout" ] || ! grep -qE -- "$stderr_pattern" <<<"$err$([ -z "$stderr_pattern" ] && echo x)"; then
    echo "FAIL $name: status $code (want $status)"
    echo "  stdout: $out"
    echo "  want:   $stdout"
    echo "  stderr: $err (want /$stderr_pattern/)"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
  input=""
}

# Good input: values and bit patterns of every kind of argument and result.
check "bfloat16 from decimal" 0 "3.140625 0x4049" "" __float2bfloat16_rn 3.14159
check "half from hex float" 0 "0.1875 0x3200" "" __float2half_ru 0x1.8p-3
check "half upward" 0 "0.10003662 0x2e67" "" __float2half_ru 0.1
check "float from bits" 0 "nan 0x7fff" "" __float2bfloat16 bits:0x7fc00000
check "negative infinity" 0 "-inf 0xfc00" "" __float2half_rd -inf
check "half to float" 0 "1 0x3f800000" "" __half2float 0x3c00
check "half NaN expands" 0 "nan 0x7fffffff" "" __half2float 0xfe00
check "pair argument" 0 "1 0x3f800000 -2 0xc0000000" "" __bfloat1622float2 0x3f80 0xc000
check "pair result" 0 "1 0x3f80 -2 0xc000" "" __floats2bfloat162_rn 1 -2
check "float2 argument" 0 "1 0x3f80 nan 0x7fff" "" __float22bfloat162_rn 1 nan
check "integer result" 0 "-32768 0x8000" "" __half2short_rz 0xfc00
check "64-bit NaN result" 0 "9223372036854775808 0x8000000000000000" "" __bfloat162ull_rz 0x7fc0
check "mixed overload" 0 "4294967295 0xffffffff" "" "max(int, unsigned int)" -1 5
check "overload spelled tight" 0 "5 0x00000005" "" "min(int,unsigned int)" -1 5
check "hex integer" 0 "18446744073709551615 0xffffffffffffffff" "" ullmax 0xffffffffffffffff 0
check "most negative long long" 0 "-9223372036854775808 0x8000000000000000" "" llmin -9223372036854775808 0
check "double result" 0 "0 0x0000000000000000" "" erfinv 0
check "both results of sincospif" 0 "0 0x00000000 -1 0xbf800000" "" sincospif 1
check "double argument" 0 "1 0x3ff0000000000000" "" "max(float, double)" 1 -1e300

# Standard input: one result line per input line, errors in place.
input='1\n2049\n  -65520  \n'
check "stdin" 0 $'1 0x3c00\n2048 0x6800\n-inf 0xfc00' "" __int2half_rn -
input='1\nx\n2\n'
check "stdin with a bad line" 2 $'1 0x3c00\nerror\n2 0x4000' "line 2: .*'x' is not an integer" __int2half_rn -

# Bad input: a message naming the problem, exit status 2.
check "unknown function" 2 "" "unknown function 'erfinvv'; did you mean: erfinv" erfinvv 0.5
check "too few arguments" 2 "" "takes 1 argument word, got 0" erfinv
check "too many arguments" 2 "" "takes 2 argument words, got 3" umax 1 2 3
check "not a number" 2 "" "argument 1 \\(double\\): '1.5x' is not a number" erfinv 1.5x
check "empty-looking number" 2 "" "is not a number" erfinv .
check "out of range short" 2 "" "'40000' is out of range \\[-32768, 32767\\]" __short2half_rn 40000
check "negative unsigned" 2 "" "'-1' is out of range \\[0, 4294967295\\]" __uint2half_rn -1
check "pattern too wide" 2 "" "'0x10000' is out of range \\[0, 65535\\]" __half2float 0x10000
check "not hex digits" 2 "" "'0xg' is not an integer" __half2float 0xg
check "overloaded name needs types" 2 "" "'max' is overloaded" max 1 2
check "no such overload" 2 "" "no overload 'max\\(int, float\\)'" "max(int, float)" 1 2
check "no arguments at all" 2 "" "usage: hostmath"

# Output that cannot be written, input that cannot be read: a message and a
# non-zero status, never a silent 0.  A NUL byte reaches the message escaped.
faults=(
  "full disk|cannot write the output|erfinvf 0.5 >/dev/full"
  "listing to a full disk|cannot write the output|--list >/dev/full"
  "version to a full disk|cannot write the output|--version >/dev/full"
  "unreadable stdin|cannot read standard input|erfinvf - </"
  "NUL in an argument|x00x' is not a number|erfinvf - < <(printf '0.5\0x\n')"
  "bytes from 0x80 escaped|'\\xff\\x9b' is not a number|erfinvf \$(printf '\\xff\\x9b')"
  "long word echoed in part|x'... (200000 bytes) is not a number|erfinvf - < <(head -c 200000 /dev/zero | tr '\\0' x)"
)
for fault in "${faults[@]}"; do
  IFS='|' read -r name pattern command <<<"$fault"
  err=$(eval "\"\${hostmath[@]}\" $command" 2>&1 >/dev/null)
  code=$?
  if [ "$code" -ne 0 ] && grep -qF -- "$pattern" <<<"$err"; then passed=$((passed + 1)); else
    echo "FAIL $name: status $code, stderr: $err"; failed=$((failed + 1)); fi
done

# Lines and pipes: a line that cannot be evaluated (too long to hold, beyond
# the memory limit) prints "error" and the run goes on, to exit 2; a closed
# pipe stops the run at its first failed write.  The command runs under
# pipefail, $H standing for hostmath; stdout lines are joined by spaces.
H="${hostmath[*]}"
streams=(
  "overlong line|2|1 0x3c00 error 2 0x4000|line 2: longer than the limit of 1048576 bytes|{ echo 1; head -c 3000000 /dev/zero | tr '\\0' x; echo; echo 2; } | $H __int2half_rn -"
  "closed pipe, endless input|2|0.47693628 0x3ef430fe|cannot write the output: Broken pipe|trap '' PIPE; yes 0.5 2>/dev/null | timeout 10 $H erfinvf - | head -1"
  "closed pipe, finite input|2|1 0x3c00|cannot write the output: Broken pipe\$|trap '' PIPE; seq 100000 2>/dev/null | $H __int2half_rn - | head -1"
)
# Where a small address space lets the command run at all (not under a
# sanitizer or an emulator), a line beyond it is an error line, not the end.
if (ulimit -v 40000 && echo 1 | $H __int2half_rn - >/dev/null 2>&1) 2>/dev/null; then
  streams+=("line beyond the memory limit|2|1 0x3c00 error 2 0x4000|line 2: longer than|ulimit -v 40000; { echo 1; head -c 50000000 /dev/zero | tr '\\0' 7; echo; echo 2; } | $H __int2half_rn -")
fi
for row in "${streams[@]}"; do
  IFS='|' read -r name status stdout pattern command <<<"$row"
  out=$(set -o pipefail; eval "$command" 2>/tmp/hostmath_cli_err.$$)
  code=$?
  err=$(cat /tmp/hostmath_cli_err.$$)
  if [ "$code" = "$status" ] && [ "${out//$'\n'/ }" = "$stdout" ] && grep -qE -- "$pattern" <<<"$err"; then
    passed=$((passed + 1))
  else
    echo "FAIL $name: status $code (want $status), stdout: $out, stderr: ${err:0:300}"; failed=$((failed + 1))
  fi
done

# The listing names every function once, and every function it names takes
# zeros as its arguments (a pair argument takes two words).
listing=$("${hostmath[@]}" --list)
duplicates=$(sort <<<"$listing" | uniq -d)
if [ -z "$duplicates" ]; then passed=$((passed + 1)); else echo "FAIL --list repeats: $duplicates"; failed=$((failed + 1)); fi
while IFS= read -r line; do
  signature=${line%% -> *}
  params=${signature#*(}
  params=${params%)}
  words=()
  IFS=',' read -ra types <<<"$params"
  for type in "${types[@]}"; do
    case "$type" in *__quix_bfloat162* | *float2*) words+=(0 0) ;; *) words+=(0) ;; esac
  done
  if ! "${hostmath[@]}" "$signature" "${words[@]}" >/dev/null 2>&1; then
    echo "FAIL listed $signature does not take ${words[*]}"
    failed=$((failed + 1))
  fi
done <<<"$listing"
"${hostmath[@]}" --help | grep -q "^       hostmath check FUNCTION" && passed=$((passed + 1)) || { echo "FAIL --help"; failed=$((failed + 1)); }

rm -f /tmp/hostmath_cli_err.$$
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
