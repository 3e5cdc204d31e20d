#!/usr/bin/env bash
# test.sh: installs what is missing, builds and runs the whole test suite:
# optimised, then again under AddressSanitizer + UndefinedBehaviorSanitizer, then
# the maths and command-line fuzz targets, the 32-bit ARM build under emulation, the
# demo itself built for the console's CPU and run under emulation, and the web page in
# headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

bash scripts/deps.sh cmake make g++ pkg-config libsdl1.2-dev libgtest-dev libpng-dev \
  xvfb xdotool xauth x11-apps

# Each stage says when it starts, so a slow one shows in the log.
stage() { echo; echo "=== [$SECONDS s] $* ==="; }

build_and_test() {  # dir, cmake options...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -DPARTICLES_WERROR=ON "$@" >/dev/null
  if ! cmake --build "$dir" -j "$jobs" >"$dir/build.log" 2>&1; then
    tail -n 60 "$dir/build.log"; echo "build failed in $dir" >&2; exit 1
  fi
  (cd "$dir" && ctest --output-on-failure -j "$jobs")
}

stage "optimised build and tests"
build_and_test build/release -DCMAKE_BUILD_TYPE=Release

stage "AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  build_and_test build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARTICLES_SANITIZE=ON \
  -DPARTICLES_PROOFS=OFF

stage "fuzzing (libFuzzer: maths 60 s, particles-capture's command line 20 s)"
bash scripts/deps.sh clang-14 libclang-rt-14-dev
bash scripts/fuzz.sh 60 20

stage "32-bit ARM build under qemu-arm"
bash scripts/arm.sh

stage "the demo for the console's ARM920T under qemu-arm"
bash scripts/arm_console.sh

stage "web page: WebAssembly build and headless Chromium"
bash scripts/web.sh

echo
echo "all test stages passed in $SECONDS s"
