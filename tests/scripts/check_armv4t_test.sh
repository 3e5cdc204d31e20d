#!/usr/bin/env bash
# check_armv4t_test.sh: proves check_armv4t.sh can see what it guards against. Catches a
# checker that passes everything (a broken disassembly parse, an empty object list, a
# condition suffix it does not know) or that rejects plain ARMv4T code.
set -euo pipefail
checker=$(cd "$(dirname "$0")/../../scripts" && pwd)/check_armv4t.sh
prefix=${CROSS_PREFIX:-arm-linux-gnueabi-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
v4t=(-O2 -march=armv4t -mtune=arm920t -marm -mfloat-abi=soft)
failures=0

expect() {  # pass|fail, what, checker arguments...
  local want=$1 what=$2; shift 2
  local got=pass
  bash "$checker" "$@" >"$work/out" 2>&1 || got=fail
  [[ $got == "$want" ]] && return
  echo "check_armv4t_test: $what: expected $want, got $got" >&2
  sed 's/^/  /' "$work/out" >&2
  failures=$((failures + 1))
}

# Code the chip runs: 64-bit division and multiply go to the runtime, loads stay ldm.
printf '%s\n' 'long long quotient(long long a, long long b) { return (a << 16) / b; }' \
  'long long product(int a, int b) { return (long long)a * b >> 16; }' \
  'long long load(const long long* p) { return *p; }' 'int call(int (*f)(int), int x) { return f(x) + 1; }' \
  >"$work/clean.c"
"${prefix}gcc" "${v4t[@]}" -c "$work/clean.c" -o "$work/clean.o"
expect pass "ARMv4T code" "$work/clean.o"

# One newer instruction each, hidden in an object whose attributes still say ARMv4T, so
# only the disassembly can find it. Words: blx r3, clz r0 r0, ldrdeq r2 [r0] (a condition
# code), smulbb, qadd, ldrex, rev, movw, dmb, vadd.f64.
for word in 0xe12fff33 0xe16f0f10 0x01c020d0 0xe1600180 0xe1020051 0xe1901f9f \
            0xe6bf0f30 0xe3010234 0xf57ff05f 0xee300b01; do
  printf 'int f(int x) { __asm__(".inst %s"); return x; }\n' "$word" >"$work/w.c"
  "${prefix}gcc" "${v4t[@]}" -c "$work/w.c" -o "$work/w_$word.o"
  expect fail "instruction word $word" "$work/w_$word.o"
done

# The compiler's own choices for a newer CPU: caught by the attributes as well.
printf 'int f(unsigned x) { return __builtin_clz(x); }\n' >"$work/v5.c"
"${prefix}gcc" -O2 -march=armv5te -marm -c "$work/v5.c" -o "$work/v5.o"
expect fail "object compiled for ARMv5TE" "$work/v5.o"

# A directory without objects must not pass as clean; the search finds CMake's objects.
mkdir -p "$work/empty" "$work/tree/CMakeFiles/t.dir"
expect fail "directory without objects" "$work/empty"
cp "$work/clean.o" "$work/tree/CMakeFiles/t.dir/a.c.o"
cp "$work/w_0xe16f0f10.o" "$work/tree/CMakeFiles/t.dir/b.c.o"
expect fail "directory with one bad object" "$work/tree"

[[ $failures -eq 0 ]] || exit 1
echo "check_armv4t_test: the instruction check rejects all 13 faulty samples and passes ARMv4T code"
