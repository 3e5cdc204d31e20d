#!/usr/bin/env bash
# window_test.sh PARTICLES: the real demo window under a virtual X server: its size, and
# Ctrl+C quitting with "Quit game from KeyDown !". Then, on a 24-bit screen as most desktops
# have, the window enlarged by --scale 3: its size, its picture (3x3 blocks of one colour
# that reduce to a frame of the demo) and F11 in and out of full screen.
# Exits 77 (skipped) where no X server can start.
set -u
demo=$(readlink -f "$1")
here=$(dirname "$(readlink -f "$0")")
source "$here/../support/e2e.sh"  # $work, first_rate; its fail and its trap are replaced below
for tool in Xvfb xdotool xwd; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

cleanup() {
  [[ -n "${demo_pid:-}" ]] && kill -9 "$demo_pid" 2>/dev/null
  [[ -n "${xvfb_pid:-}" ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# -displayfd: the server picks a free display itself and writes its number once it
# accepts connections, so parallel runs cannot race for the same display.
# -noreset: SDL connects once to see that X is there and closes again; without it
# the server resets as that first client leaves and refuses SDL's real connection.
Xvfb -displayfd 3 -screen 0 1024x768x16 -screen 1 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] || ! kill -0 "$xvfb_pid" 2>/dev/null && break; sleep 0.1; done
display=":$(tr -d '[:space:]' <"$work/display")"
[[ $display != : ]] || { echo "SKIPPED: Xvfb could not start"; cat "$work/xvfb.log"; exit 77; }
export DISPLAY=$display

fail() {
  echo "FAIL: $*"
  echo "--- log:"; cat "$work/ParticlesLog.txt" 2>/dev/null
  echo "--- demo output:"; cat "$work/out" 2>/dev/null
  exit 1
}

# start_demo SIZE [ARGS...]: starts the demo with ARGS and waits for its window ($win) of SIZE.
start_demo() {
  local size=$1; shift
  rm -f "$work/ParticlesLog.txt"
  (cd "$work" && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 exec "$demo" "$@") >"$work/out" 2>&1 &
  demo_pid=$!
  # The caption appears with the first frame-rate window, about a second in; the same figure
  # is logged. Waiting on the log first keeps a slow start-up apart from a missing window.
  first_rate "$work/ParticlesLog.txt" "$demo_pid" || fail "no frame-rate window logged: the demo ended or took a minute"
  win=$(timeout 30 xdotool search --sync --onlyvisible --name 'PARTICLE : ' 2>/dev/null | head -n 1)
  [[ -n "$win" ]] || fail "no demo window appeared"
  geometry=$(xdotool getwindowgeometry "$win" | grep -o 'Geometry: [0-9x]*')
  [[ "$geometry" == "Geometry: $size" ]] || fail "window is $geometry, not $size"
  xdotool windowfocus --sync "$win"
}

# quit_demo: Ctrl+C must end it normally, by that key alone.
quit_demo() {
  xdotool key ctrl+c
  for _ in $(seq 100); do
    kill -0 "$demo_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$demo_pid" 2>/dev/null && fail "Ctrl+C did not end the demo"
  wait "$demo_pid"; status=$?; demo_pid=""
  [[ $status -eq 0 ]] || fail "exit status $status"
  grep -qx 'Quit game from KeyDown !' "$work/ParticlesLog.txt" || fail "no KeyDown quit line"
  grep -q 'Quit game from SDL_QUIT' "$work/ParticlesLog.txt" && fail "quit came from elsewhere"
  tail -n 1 "$work/ParticlesLog.txt" | grep -qx 'Particle3D Pool Destroyed!' || fail "log does not end with the 3D pool's destruction"
}

start_demo 320x240
quit_demo

export DISPLAY=$display.1
start_demo 960x720 --scale 3
sleep 1
xwd -id "$win" -silent >"$work/scaled.xwd" || fail "no screenshot of the scaled window"
# XWD: a header of 25 big-endian words, the colour map (12 bytes a colour), then rows.
read -r -a header < <(od -An -v -tu4 --endian=big -N100 "$work/scaled.xwd" | tr -s ' \n' ' ')
[[ "${header[*]:11:1} ${header[*]:7:1} ${header[*]:14:3}" == "32 0 16711680 65280 255" ]] ||
  fail "screenshot is not 32-bit 0xRRGGBB, LSB first: ${header[*]}"
picture=$(od -An -v -tu4 --endian=little -j $((header[0] + 12 * header[19])) -w"${header[12]}" \
  "$work/scaled.xwd" | awk -v s=3 -f "$here/scaled_picture.awk")
read -r mixed share ramp stamps <<<"$picture"
[[ $mixed -eq 0 ]] || fail "$mixed window pixels differ from their 3x3 block's first"
[[ $ramp -eq 1 && $share -ge 50 ]] || fail "the reduced picture's commonest colour (on the background ramp: $ramp) covers $share %"
[[ $stamps -ge 20 ]] || fail "only $stamps whole stamps in the reduced picture"

# Full screen: SDL covers the display with a window of its own, and takes it away again.
screen_sized() { xdotool search --onlyvisible --maxdepth 1 --name '' getwindowgeometry %@ | grep -c 'Geometry: 1024x768'; }
windowed=$(screen_sized)
xdotool keydown F11; sleep 1  # on the press, not on the release
[[ $(screen_sized) -eq $((windowed + 1)) ]] || fail "F11 did not cover the display"
xdotool keyup F11 key F11 space; sleep 1
[[ $(screen_sized) -eq $windowed ]] || fail "a second F11 did not leave full screen, or Space toggled it"
quit_demo
echo "window test passed on $display"
