#!/usr/bin/env bash
# fuzz.sh [seconds]: builds the fixed-point and vector maths fuzz target with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer into build/fuzz and
# runs it for the given time (default 60 s). Exits non-zero on any finding; the
# reproducer is left in build/fuzz as crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out/corpus"

cxx=$(command -v clang++-14 || command -v clang++)
"$cxx" -std=c++20 -O1 -g -Wall -Wextra -Wshadow -Werror \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
  -Isrc src/fixedpoint/fixed_point.cpp src/fixedpoint/trig.cpp src/fixedpoint/sin_tab.cpp \
  tests/fuzz/maths_fuzz.cpp -o "$out/maths_fuzz"

# -timeout catches a hang (e.g. an angle reduction that never ends); the corpus
# keeps what earlier runs found interesting.
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  "$out/maths_fuzz" -max_total_time="$seconds" -timeout=10 -max_len=512 \
  -artifact_prefix="$out/" "$out/corpus"
