# stage.sh: sourced by the test stages (arm.sh, arm_console.sh, web.sh) from the project
# root: the folders they share, their progress lines, a quiet run that shows its log only
# when it fails, and the native reference build.
root=$PWD
native=${PARTICLES_NATIVE_DIR:-build/release}
jobs=$(nproc)
stage=$(basename "$0" .sh)  # names the script in its failure lines

step() { echo "--- [$SECONDS s] $*"; }

quietly() {  # log file, command...: runs it, shows the log's tail only if it fails
  local log=$1; shift
  if ! "$@" >"$log" 2>&1; then
    tail -n 60 "$log"; echo "$stage: failed: $* (log: $log)" >&2; exit 1
  fi
}

# The optimised native build the test script makes (configured here if absent), with one
# target brought up to date: the reference a stage compares with. The lock waits for a
# build the test script may be running in it.
native_build() {  # log folder, target
  mkdir -p "$native"
  exec {lock}>"$native.lock"; flock "$lock"
  if [[ ! -f $native/CMakeCache.txt ]]; then
    quietly "$1/native-configure.log" cmake -S "$root" -B "$native" -DCMAKE_BUILD_TYPE=Release \
      -DPARTICLES_WERROR=ON
  fi
  quietly "$1/native-build.log" cmake --build "$native" -j "$jobs" --target "$2"
  flock -u "$lock"
}
