#!/usr/bin/env bash
# demo_e2e.sh PARTICLES [EMULATOR...]: the demo headless (SDL's dummy drivers). Catches wrong
# exit statuses, messages or log lines on a quit, a bad argument and each start-up failure, an
# exit handler armed too early or not at all, and a log taking a closed standard error's place.
# SDL_FAULTS_PRELOAD (sdl_faults_preload.so) makes SDL fail as a real machine rarely does; an
# emulator command (qemu-arm) runs the console's build, which takes no arguments.
set -u
demo=$(readlink -f "$1")
shift
emulator=("$@")
source "$(dirname "$0")/../support/e2e.sh"

# run [VAR=VALUE...]: the demo in $dir with that environment and $args, killed after a
# minute; $interrupt: interrupted as a closed window would once it logs a frame rate;
# $closed: its standard error closed. Sets $status, and $messages: its standard error less
# the lines the console's shell commands print on a desktop.
run() {
  dir=$work/$name
  mkdir -p "$dir"
  (cd "$dir" && { [[ -z ${closed:-} ]] || exec 2>&-; } &&
    exec env SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
      ASAN_OPTIONS=detect_leaks=0:verify_asan_link_order=0 "$@" timeout -k 10 60 \
      env --default-signal=INT "${emulator[@]}" "$demo" ${args:-}) >"$dir/out" 2>"$dir/err" &
  local pid=$!  # timeout hands the signal on to the demo
  [[ -z ${interrupt:-} ]] || { first_rate "$dir/ParticlesLog.txt" "$pid"; kill -INT "$pid"; }
  wait "$pid"
  status=$?
  messages=$(grep -v -e '^sh: ' -e mmuhack "$dir/err")
}
normal_log() {  # start-up, frame-rate lines (one at least), the quit line $1, shutdown
  cmp -s <(startup_lines; echo "PARTICLE : N FPS"; echo "$1"; shutdown_lines) \
    <(sed 's/^PARTICLE : [0-9]* FPS$/PARTICLE : N FPS/' "$dir/ParticlesLog.txt" | uniq) ||
    fail "log: $(head -c 600 "$dir/ParticlesLog.txt")"
}

for closed in "" 1; do
  name="interrupted${closed:+, standard error closed}"
  interrupt=1 run
  [[ $status -eq 0 && -z $messages ]] || fail "status $status: $messages"
  normal_log "Quit game from SDL_QUIT !"
done
closed=""

name="log not creatable"  # not even root can open a directory for writing
mkdir -p "$work/$name/ParticlesLog.txt"
run
[[ $status -eq 2 && ! -s $dir/out && ! -s $dir/err ]] || fail "status $status: $(cat "$dir/err")"

name="no SDL"
run SDL_VIDEODRIVER=no-such-driver
[[ $status -eq 1 && $(cat "$dir/err") == "Couldn't initialize SDL: "* && $(wc -l <"$dir/err") -eq 1 ]] ||
  fail "status $status: $(cat "$dir/err")"
cmp -s <(startup_lines) "$dir/ParticlesLog.txt" || fail "more than the start-up lines in the log"

if [[ ${#emulator[@]} -eq 0 ]]; then
  name="bad scale"
  args=--scale=7 run
  [[ $status -eq 64 && $(cat "$dir/err") == "particles: bad value for --scale: '7' (1..6)" ]] ||
    fail "status $status: $(cat "$dir/err")"
  [[ -e $dir/ParticlesLog.txt ]] && fail "a log was made"
fi

if [[ -n ${SDL_FAULTS_PRELOAD:-} ]]; then
  name="no video mode"  # nothing taken from the pools yet: one free block of 3000 each
  run LD_PRELOAD="$SDL_FAULTS_PRELOAD" PARTICLES_FAULT=video
  [[ $status -eq 2 && $messages == "Couldn't set 320x240x16 video mode: no such mode on this test display" ]] ||
    fail "status $status: $messages"
  cmp -s <(startup_lines; echo "Terminate !"; pool_report Particle 0:3000; pool_report Particle3D 0:3000) \
    "$dir/ParticlesLog.txt" || fail "log: $(cat "$dir/ParticlesLog.txt")"

  name="joystick not opened"
  interrupt=1 run LD_PRELOAD="$SDL_FAULTS_PRELOAD" PARTICLES_FAULT=joystick
  [[ $status -eq 0 && $messages == "Couldn't open joystick 0: test joystick 0 is unplugged" ]] ||
    fail "status $status: $messages"
  normal_log "Quit game from SDL_QUIT !"
fi

[[ $failures -eq 0 ]] || exit 1
echo "demo end to end: all cases passed"
