#!/usr/bin/env bash
# test.sh: installs what is missing, builds and runs the whole test suite in two lanes
# that share the machine's cores:
#   native:        the optimised build and its tests (the exhaustive proofs among them),
#                  the build under AddressSanitizer + UndefinedBehaviorSanitizer and its
#                  tests, then the maths and command-line fuzz targets;
#   other targets: the demo itself built for the console's CPU and run under emulation,
#                  the 32-bit ARM build under emulation, and the web page in headless
#                  Chromium.
# Both start at once; the other targets reach the optimised build (whose particles-capture
# they are compared with) through a lock, so only one build runs in it at a time. The
# second lane's output follows the first one's. Exits 0 when every stage passed, 1 otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

# Every stage's packages first, so that no two stages install at the same time (the web
# stage installs its own: it is skipped, saying so, where they cannot be installed).
bash scripts/deps.sh cmake make g++ gcc pkg-config libsdl1.2-dev libgtest-dev libpng-dev \
  googletest xvfb xdotool xauth x11-apps clang-14 libclang-rt-14-dev g++-arm-linux-gnueabi \
  qemu-user dpkg-dev

# Each stage says when it starts, so a slow one shows in the log.
stage() { echo; echo "=== [$SECONDS s] $* ==="; }

build() {  # dir, cmake options...
  local dir=$1; shift
  mkdir -p "$dir"
  exec {lock}>"$dir.lock"; flock "$lock"
  cmake -S "$root" -B "$dir" -DPARTICLES_WERROR=ON "$@" >/dev/null
  if ! cmake --build "$dir" -j "$jobs" >"$dir/build.log" 2>&1; then
    tail -n 60 "$dir/build.log"; echo "build failed in $dir" >&2; exit 1
  fi
  flock -u "$lock"
}

other_targets() {
  stage "the demo for the console's ARM920T under qemu-arm"
  bash scripts/arm_console.sh
  stage "32-bit ARM build under qemu-arm"
  bash scripts/arm.sh
  stage "web page: WebAssembly build and headless Chromium"
  bash scripts/web.sh
}

# Ends the other lane and everything it started when this script ends first.
stop_tree() {
  local child
  for child in $(pgrep -P "$1" 2>/dev/null); do stop_tree "$child"; done
  kill "$1" 2>/dev/null || true
}

mkdir -p build
other_log=build/other-targets.log
other_targets >"$other_log" 2>&1 &
other=$!
trap 'stop_tree "$other"' EXIT

stage "optimised build"
build build/release -DCMAKE_BUILD_TYPE=Release

stage "optimised tests"
(cd build/release && ctest --output-on-failure -j "$jobs")

# -O1 -g1: line numbers for the reports at half the compile time of -O2 -g.
stage "AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
build build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARTICLES_SANITIZE=ON \
  -DPARTICLES_PROOFS=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j "$jobs")

stage "fuzzing (libFuzzer: maths 30 s, particles-capture's command line 20 s)"
bash scripts/fuzz.sh 30 20

stage "waiting for the other targets' lane"
status=0
wait "$other" || status=$?
trap - EXIT
cat "$other_log"
if [[ $status -ne 0 ]]; then
  echo "the other targets' lane failed (log: $other_log)" >&2
  exit 1
fi
echo
echo "all test stages passed in $SECONDS s"
