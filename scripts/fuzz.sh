#!/usr/bin/env bash
# fuzz.sh [maths-seconds [options-seconds]]: builds the libFuzzer targets with
# AddressSanitizer and UndefinedBehaviorSanitizer into build/fuzz and runs them: the
# fixed-point and vector maths (default 60 s), then particles-capture's command line
# (default 20 s). Exits non-zero on any finding; the reproducer is left in build/fuzz
# as crash-* (maths) or options-crash-* (command line).
set -euo pipefail
cd "$(dirname "$0")/.."
maths_seconds=${1:-60}
options_seconds=${2:-20}
out=build/fuzz
mkdir -p "$out/corpus" "$out/options-corpus"

cxx=$(command -v clang++-14 || command -v clang++)
flags=(-std=c++20 -O1 -g -Wall -Wextra -Wshadow -Werror
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
"$cxx" "${flags[@]}" -Isrc src/fixedpoint/fixed_point.cpp src/fixedpoint/trig.cpp \
  src/fixedpoint/sin_tab.cpp tests/fuzz/maths_fuzz.cpp -o "$out/maths_fuzz"
"$cxx" "${flags[@]}" -I. tools/capture_options.cpp tests/fuzz/options_fuzz.cpp -o "$out/options_fuzz"

# -timeout catches a hang (e.g. an angle reduction that never ends); each corpus
# keeps what earlier runs found interesting.
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$out/maths_fuzz" -max_total_time="$maths_seconds" -timeout=10 -max_len=512 \
  -artifact_prefix="$out/" "$out/corpus"
"$out/options_fuzz" -max_total_time="$options_seconds" -timeout=10 -max_len=256 \
  -artifact_prefix="$out/options-" "$out/options-corpus"
