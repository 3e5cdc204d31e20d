#!/usr/bin/env bash
# arm.sh: the project on the console's 32-bit ARM, under emulation. Cross-builds it into
# build/arm with Debian's armel compiler (ARMv4T code), runs the unit tests under qemu-arm
# through CTest, checks that the project's objects hold ARMv4T instructions only and that
# the instruction counter's console cost model agrees with loops counted by hand, and
# runs particles-capture scenarios under qemu-arm whose last picture, frame stream and
# log must equal the native build's (build/release) byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/stage.sh
arm=${PARTICLES_ARM_DIR:-build/arm}
toolchain=$root/cmake/toolchains/arm-linux-gnueabi.cmake
target_root=/usr/arm-linux-gnueabi
qemu=(qemu-arm -cpu arm926 -L "$target_root")
flags=(-march=armv4t -mtune=arm920t -marm -mfloat-abi=soft)

bash scripts/deps.sh cmake make gcc g++ pkg-config libsdl1.2-dev libgtest-dev libpng-dev \
  g++-arm-linux-gnueabi qemu-user googletest

mkdir -p "$arm"

# GoogleTest from Debian's sources, built once by the same cross compiler.
gtest=$root/$arm-googletest
stamp="googletest $(dpkg-query -W -f='${Version}' googletest) $(md5sum <"$toolchain" | cut -c1-32)"
if [[ ! -f $gtest/stamp || $(cat "$gtest/stamp") != "$stamp" ]]; then
  step "GoogleTest for ARM from /usr/src/googletest"
  rm -rf "$gtest"; mkdir -p "$gtest"
  quietly "$gtest/build.log" cmake -S /usr/src/googletest -B "$gtest/build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$gtest/install"
  quietly "$gtest/make.log" cmake --build "$gtest/build" -j "$jobs"
  quietly "$gtest/install.log" cmake --install "$gtest/build"
  echo "$stamp" >"$gtest/stamp"
fi

# The target really is the console's: 32-bit pointers and long, unsigned plain char.
step "target data model under qemu-arm"
cat >"$arm/data_model.cpp" <<'EOF'
#include <climits>
#include <cstdio>
int main() {
  std::printf("pointer %u, long %u, long long %u, char %s\n", unsigned(sizeof(void*)),
              unsigned(sizeof(long)), unsigned(sizeof(long long)),
              CHAR_MIN < 0 ? "signed" : "unsigned");
}
EOF
arm-linux-gnueabi-g++ "${flags[@]}" "$arm/data_model.cpp" -o "$arm/data_model"
model=$("${qemu[@]}" "$arm/data_model")
echo "$model"
[[ $model == "pointer 4, long 4, long long 8, char unsigned" ]] ||
  { echo "arm: unexpected target data model" >&2; exit 1; }

# The console build has no SDL video and no PNG writer: the frame code needs SDL's event
# type only, taken from the SDL 1.2 headers, and --raw/--stream need no library.
step "cross build in $arm"
quietly "$arm/configure.log" cmake -S "$root" -B "$arm" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DPARTICLES_WERROR=ON -DPARTICLES_WITH_SDL=OFF \
  -DPARTICLES_WITH_PNG=OFF -DPARTICLES_PROOFS=OFF -DGTest_DIR="$gtest/install/lib/cmake/GTest"
quietly "$arm/build.log" cmake --build "$arm" -j "$jobs"

step "instruction set: ARMv4T only"
bash tests/scripts/check_armv4t_test.sh
bash scripts/check_armv4t.sh "$arm/src" "$arm/tools" "$arm/tests"

step "console cost model: hand-counted loops"
bash tests/bench/count_plugin_test.sh

step "unit tests under qemu-arm"
(cd "$arm" && ctest --output-on-failure -j "$jobs")

step "particles-capture: ARM against native ($native)"
native_build "$arm" particles-capture

# Where two byte streams of 320x240 RGB565 pictures first differ, as frame and pixel.
where() {  # file a, file b
  local at
  at=$(cmp "$1" "$2" 2>&1 | sed -n 's/.* byte \([0-9]*\),.*/\1/p')
  [[ -n $at ]] || { cmp "$1" "$2" 2>&1 | head -n 1; return; }
  local off=$((at - 1)) pixel
  pixel=$(((off % 153600) / 2))
  echo "first difference in frame $((off / 153600 + 1)), pixel x=$((pixel % 320)) y=$((pixel / 320))"
}

capture_failed=0
scenario() {  # name, particles-capture arguments...
  local name=$1; shift
  local dir=$arm/capture/$name status_native=0 status_arm=0 start=$SECONDS
  rm -rf "$dir"; mkdir -p "$dir/native" "$dir/arm"
  (cd "$dir/native" && "$root/$native/tools/particles-capture" "$@" >stream.bin) || status_native=$?
  (cd "$dir/arm" && "${qemu[@]}" "$root/$arm/tools/particles-capture" "$@" >stream.bin) || status_arm=$?
  local result=same
  if [[ $status_native -ne 0 || $status_arm -ne 0 ]]; then
    echo "  $name: exit status native $status_native, ARM $status_arm"; result=different
  fi
  for file in ParticlesLog.txt last.raw stream.bin; do
    [[ -f $dir/native/$file ]] || continue
    if ! cmp -s "$dir/native/$file" "$dir/arm/$file"; then
      result=different
      if [[ $file == ParticlesLog.txt ]]; then
        echo "  $name: $file differs:"; diff "$dir/native/$file" "$dir/arm/$file" | head -n 10
      else
        echo "  $name: $file differs, $(where "$dir/native/$file" "$dir/arm/$file")"
      fi
    fi
  done
  local frames
  frames=$(($(stat -c %s "$dir/arm/stream.bin") / 153600))
  echo "  $name: $result ($* ; $frames streamed frames, $((SECONDS - start)) s)"
  if [[ $result == same ]]; then
    rm -f "$dir"/*/stream.bin
  else
    capture_failed=1
  fi
}

# Each display mode in turn (2D, 3D, both) with a long stall, every frame compared.
scenario modes --frames 600 --press 100:space --press 300:space --stall 400:5000 \
  --raw last.raw --stream
# Both scenes across several view legs, with the clock wrapping past 2^32 ms at frame 331.
scenario wrap --frames 900 --start 4294962000 --press 1:space --press 1:space \
  --stall 700:40000 --raw last.raw --stream
# The 3D scene alone at a slow frame rate, then the joystick's mode button and a quit.
scenario slow3d --frames 800 --dt 45 --press 1:space --press 500:start --press 790:quit \
  --raw last.raw
# Both scenes for 80 s of clock: twenty view legs, the background's brightening cycles.
scenario long --frames 5000 --press 1:space --press 1:space --raw last.raw
if [[ $capture_failed -ne 0 ]]; then
  echo "arm: particles-capture output differs between ARM and x86-64 (kept in $arm/capture)" >&2
  exit 1
fi
echo "ARM stage passed in $SECONDS s"
