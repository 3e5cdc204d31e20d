#!/usr/bin/env bash
# animation.sh [OUT]: the README's moving picture, OUT (default docs/demo.gif): six
# seconds of particles-capture --stream on its scripted clock (frames 16 ms apart),
# both scenes from frame 100, the 3D scene alone from frame 350, made into a looping
# 25 fps GIF by Debian's ffmpeg with one palette for the whole run and no dithering.
# Installs what is missing and builds the capture tool in build/release.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs/demo.gif}")

bash scripts/deps.sh cmake make g++ pkg-config libsdl1.2-dev libgtest-dev libpng-dev ffmpeg
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$(nproc)" --target particles-capture >build/animation-build.log 2>&1 || {
  tail -n 40 build/animation-build.log; echo "build failed (full log: build/animation-build.log)" >&2; exit 1; }

# The run's log goes to build/animation; the first 99 frames (the emitters filling
# up) are cut.
mkdir -p build/animation
cd build/animation
../release/tools/particles-capture --frames 475 --press 1:space --press 1:space --press 350:space --press 350:space --stream |
  ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb565le -s 320x240 -framerate 62.5 -i - \
    -vf "trim=start_frame=99,setpts=PTS-STARTPTS,fps=25,split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse=dither=none:diff_mode=rectangle" \
    -loop 0 "$out"
echo "$out: $(stat -c %s "$out") bytes"
