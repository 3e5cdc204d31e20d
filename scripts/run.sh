#!/usr/bin/env bash
# run.sh [--scale N]: installs what is missing, builds and starts the demo in a
# window, N times its 320x240 if asked (the arguments go to the demo). Without a
# display it says so and records five seconds with particles-capture instead,
# leaving the last frame as build/particles.png.
#   scripts/run.sh --web [PORT]: builds the web page and serves build/web on
#   127.0.0.1:PORT (default 8000) until interrupted.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${1:-} == --web ]]; then
  port=${2:-8000}
  bash scripts/web.sh --build-only
  echo "Serving build/web: open http://127.0.0.1:$port/particles.html (Ctrl+C here stops the server)"
  cd build/web
  exec python3 -m http.server "$port" --bind 127.0.0.1
fi

bash scripts/deps.sh cmake make g++ pkg-config libsdl1.2-dev libgtest-dev libpng-dev
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" >build/release-build.log 2>&1 || {
  tail -n 40 build/release-build.log; echo "build failed (full log: build/release-build.log)" >&2; exit 1; }

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && "${SDL_VIDEODRIVER:-}" == "" ]]; then
  mkdir -p build/run
  echo "No display found: recording 5 seconds (300 frames at 16 ms) headlessly instead."
  (cd build/run && ../release/tools/particles-capture --frames 300 --png ../particles.png)
  echo "Last frame: build/particles.png; log: build/run/ParticlesLog.txt"
  echo "(Run it again from a desktop session to get the window.)"
  exit 0
fi
mkdir -p build/run
cd build/run
echo "Space cycles 2D, 3D and both; F11 toggles full screen; Ctrl+C or closing the window quits. Log: build/run/ParticlesLog.txt"
exec ../release/src/app/particles "$@"
