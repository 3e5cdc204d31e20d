#!/usr/bin/env bash
# arm_console.sh: the demo itself built for the console's ARM920T and run under qemu-arm.
# Makes a console SDK in build/console-sdk once (SDL 1.2 from Debian's source, cross-built
# as a static library with the dummy video and audio drivers and the Linux joystick driver,
# in a sysroot with Debian's armel C library), builds particles against it through
# cmake/toolchains/console-sdk.cmake in build/console, checks that its objects hold ARMv4T
# instructions only, then runs the demo's end-to-end tests and the simulated console on
# the ARM binary.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/stage.sh
sdk=$root/${PARTICLES_CONSOLE_SDK_DIR:-build/console-sdk}
console=${PARTICLES_CONSOLE_DIR:-build/console}
sysroot=$sdk/sysroot
target_root=/usr/arm-linux-gnueabi

bash scripts/deps.sh cmake make g++ pkg-config libsdl1.2-dev libgtest-dev libpng-dev \
  g++-arm-linux-gnueabi qemu-user dpkg-dev


# SDL as this route needs it: one static library, the dummy video and audio drivers
# (no screen or sound card under emulation), the Linux joystick driver, POSIX threads and
# timers. Every other driver is left out, and with it every other library.
arm_flags=$(sed -n 's/^set(PARTICLES_ARM_FLAGS "\(.*\)")$/\1/p' cmake/toolchains/arm920t.cmake)
[[ -n $arm_flags ]] || { echo "arm_console: no PARTICLES_ARM_FLAGS in arm920t.cmake" >&2; exit 1; }
sdl_options=(--host=arm-linux-gnueabi --prefix=/usr --disable-shared --enable-static
  --disable-rpath --disable-loadso --disable-cdrom --disable-pth
  --disable-oss --disable-alsa --disable-esd --disable-pulseaudio --disable-arts --disable-nas
  --disable-diskaudio --disable-video-x11 --disable-video-fbcon --disable-video-directfb
  --disable-video-ps2gs --disable-video-ps3 --disable-video-svga --disable-video-opengl
  --disable-input-events --disable-input-tslib "CFLAGS=-O2 $arm_flags")

# The source release is the one the native libsdl1.2-dev was built from, so the stamp
# needs nothing from the network; the C library is whatever the cross packages hold.
sdl_version=$(dpkg-query -W -f='${source:Version}' libsdl1.2-dev)
cross_packages=$(dpkg-query -S "$target_root/lib" "$target_root/include" |
                 sed 's/: .*//; s/,/ /g' | tr ' ' '\n' | sort -u)
# shellcheck disable=SC2086  # one word per package
stamp="libsdl1.2 $sdl_version; $(arm-linux-gnueabi-gcc --version | head -n 1);
$(dpkg-query -W -f='${Package} ${Version}\n' $cross_packages)
${sdl_options[*]}"

# Apt with a configuration of its own: the system's archive entries turned into source
# entries, lists and caches under build/. The system's sources and lists stay as they are.
private_apt() {
  local dir=$sdk/apt list parts f
  mkdir -p "$dir/sources.list.d" "$dir/lists/partial" "$dir/cache/archives/partial"
  eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
  : >"$dir/sources.list"
  if [[ -f $list ]]; then
    sed -n -E 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list" >"$dir/sources.list"
  fi
  for f in "$parts"*.list "$parts"*.sources; do
    [[ -f $f ]] || continue
    case $f in
      *.list) sed -n -E 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" ;;
      *) sed -E 's/^Types:.*/Types: deb-src/I' "$f" ;;
    esac >"$dir/sources.list.d/${f##*/}"
  done
  apt=(apt-get -q -o Dir::Etc::SourceList="$dir/sources.list"
       -o Dir::Etc::SourceParts="$dir/sources.list.d" -o Dir::State::Lists="$dir/lists"
       -o Dir::Cache="$dir/cache" -o APT::Sandbox::User=root)
}

if [[ ! -f $sdk/stamp || $(cat "$sdk/stamp") != "$stamp" ]]; then
  step "console SDK in $sdk: SDL $sdl_version from Debian's source"
  rm -rf "$sdk"; mkdir -p "$sdk"
  private_apt
  quietly "$sdk/apt-update.log" "${apt[@]}" update
  (cd "$sdk" && quietly "$sdk/apt-source.log" "${apt[@]}" source --only-source \
    "libsdl1.2=$sdl_version")
  src=$sdk/libsdl1.2-${sdl_version%-*}
  [[ -x $src/configure ]] || { echo "arm_console: no SDL source in $src" >&2; exit 1; }

  # The release's own configure script runs as shipped: Debian's one change to
  # configure.in is how pkg-config is looked for, for drivers this build leaves out (make
  # says configure.in is newer; nothing needs regenerating).
  mkdir -p "$sdk/sdl-build"
  (cd "$sdk/sdl-build" && quietly "$sdk/sdl-configure.log" "$src/configure" "${sdl_options[@]}")
  quietly "$sdk/sdl-make.log" make -C "$sdk/sdl-build" -j "$jobs"
  bash scripts/check_armv4t.sh "$sdk"/sdl-build/build/*.o

  # The sysroot: Debian's armel C library and C++ runtime as links into the cross
  # packages' tree, /lib beside /usr/lib for the loader, and SDL's headers and library.
  mkdir -p "$sysroot/usr"
  cp -rs "$target_root/include" "$target_root/lib" "$sysroot/usr/"
  ln -s usr/lib "$sysroot/lib"
  quietly "$sdk/sdl-install.log" make -C "$sdk/sdl-build" install-hdrs install-lib \
    DESTDIR="$sysroot"
  rm -f "$sysroot"/usr/lib/libSDL*.la
  echo "$stamp" >"$sdk/stamp"
fi

step "particles for ARMv4T through console-sdk.cmake in $console"
mkdir -p "$console"
quietly "$console/configure.log" cmake -S "$root" -B "$console" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/console-sdk.cmake" \
  -DCONSOLE_CROSS_PREFIX=arm-linux-gnueabi- -DCONSOLE_SYSROOT="$sysroot" \
  -DCMAKE_BUILD_TYPE=Release -DPARTICLES_WERROR=ON -DPARTICLES_WITH_PNG=OFF -DBUILD_TESTING=OFF
quietly "$console/build.log" cmake --build "$console" -j "$jobs" --target particles
bash scripts/check_armv4t.sh "$console/src"
demo=$root/$console/src/app/particles
qemu=("$(command -v qemu-arm)" -cpu arm926 -L "$sysroot")

# The native demo's end-to-end tests on the ARM binary. SDL is linked statically into it,
# so the cases that preload an SDL stand-in do not apply.
step "the demo's end-to-end tests under qemu-arm"
bash tests/app/demo_e2e.sh "$demo" "${qemu[@]}"

step "the simulated console under qemu-arm"
status=0
bash tests/platform/console_e2e.sh "$demo" "${qemu[@]}" || status=$?
if [[ $status -eq 77 ]]; then
  echo "(simulated console skipped: no private mount namespace here)"
elif [[ $status -ne 0 ]]; then
  exit "$status"
fi
echo "console demo stage passed in $SECONDS s"
