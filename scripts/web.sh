#!/usr/bin/env bash
# web.sh: the demo as a web page. Builds build/web/particles.html, particles.js and
# particles.wasm with Debian's Emscripten through CMake, then runs the browser tests:
# headless Chromium against the native particles-capture (build/release, built if absent).
#   scripts/web.sh                    build and test
#   scripts/web.sh --build-only       build the page only
#   scripts/web.sh --screenshot FILE  build, then a screenshot of the page in a live run
# Skips, saying so and with status 0, only where Emscripten or Chromium cannot be installed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/stage.sh
web=${PARTICLES_WEB_DIR:-build/web}
mode=${1:-test}
case $mode in
  test | --build-only) ;;
  --screenshot) [[ -n ${2:-} ]] || { echo "usage: scripts/web.sh --screenshot FILE" >&2; exit 64; }
                shot=$(realpath -m "$2") ;;
  *) echo "usage: scripts/web.sh [--build-only | --screenshot FILE]" >&2; exit 64 ;;
esac

skip() { echo "web: SKIPPED: $* cannot be installed here (see above); the web page is not built or tested"; exit 0; }

bash scripts/deps.sh cmake make g++ pkg-config libsdl1.2-dev libpng-dev
bash scripts/deps.sh emscripten node-acorn || skip "Emscripten"
[[ $mode == --build-only ]] || bash scripts/deps.sh chromium || skip "Chromium"

# emcc's JavaScript optimiser needs Debian's acorn module: Debian's own node finds it,
# a node from elsewhere only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# Emscripten's system libraries: Debian's package ships them prebuilt, in a read-only
# ("frozen") cache that emcc only reads. With EM_CACHE set to a folder of the project's
# (EM_CACHE=build/emcache), emcc builds its own there from source on first use instead.
if [[ -n ${EM_CACHE:-} ]]; then
  EM_CACHE=$(realpath -m "$EM_CACHE")
  export EM_CACHE EM_FROZEN_CACHE=
fi
cache=$(em-config CACHE)
# The configured build remembers the cache's headers: a new cache needs a new build folder,
# as does one configured from another source folder (web/ alone, as it once was).
if [[ -f $web/emcache.stamp && $(cat "$web/emcache.stamp") != "$cache" ]]; then rm -rf "$web"; fi
if [[ -f $web/CMakeCache.txt ]] && ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$web/CMakeCache.txt"; then
  rm -rf "$web"
fi
mkdir -p "$web"
echo "$cache" >"$web/emcache.stamp"
if [[ -n ${EM_CACHE:-} ]]; then
  # A first compile puts the system headers into the cache, where CMake looks for SDL's.
  echo 'int main(void) { return 0; }' >"$web/prime.c"
  quietly "$web/prime.log" emcc -c "$web/prime.c" -o "$web/prime.o"
fi

step "page: Emscripten $(emcc --version | sed -n '1s/.* \([0-9][0-9.]*\) .*/\1/p'), system libraries in $cache"
quietly "$web/configure.log" emcmake cmake -S "$root" -B "$web" -DCMAKE_BUILD_TYPE=Release \
  -DPARTICLES_WERROR=ON -DPARTICLES_WITH_SDL=OFF -DPARTICLES_WITH_PNG=OFF -DBUILD_TESTING=OFF
quietly "$web/build.log" cmake --build "$web" -j "$jobs" --target particles_web
for file in particles.html particles.js particles.wasm; do
  [[ -s $web/$file ]] || { echo "web: $web/$file was not made" >&2; exit 1; }
done
echo "built $web/particles.html, particles.js ($(stat -c %s "$web/particles.js") bytes)," \
  "particles.wasm ($(stat -c %s "$web/particles.wasm") bytes)"
[[ $mode == --build-only ]] && exit 0

if [[ $mode == --screenshot ]]; then
  step "screenshot of a live run"
  node web/screenshot.mjs "$web" "$shot"
  exit 0
fi

step "native particles-capture ($native)"
native_build "$web" particles-capture

step "browser tests in headless Chromium ($(chromium --version 2>/dev/null))"
node tests/web/browser_test.mjs "$web" "$native/tools/particles-capture"
echo "web stage passed in $SECONDS s"
