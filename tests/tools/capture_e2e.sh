#!/usr/bin/env bash
# capture_e2e.sh PARTICLES_CAPTURE: the capture tool as a user runs it. Catches a log that
# differs from the demo's, presses in the wrong frame, a run that goes on past a quit,
# outputs that disagree, and bad arguments or failed outputs that get the wrong status,
# more or less than one line on standard error, a touched log or a removed path.
set -u
capture=$(readlink -f "$1")
source "$(dirname "$0")/../support/e2e.sh"
frame=153600

made=0
fresh() { dir=$work/$((++made)) && mkdir "$dir"; }
# run OUT ARGS...: the tool in $dir, standard error to $dir/err, standard output to
# $dir/out (file), a pipe nobody reads (pipe), /dev/full (full) or nothing (closed).
run() {
  local out=$1
  shift
  case $out in
    file) (cd "$dir" && exec "$capture" "$@") >"$dir/out" 2>"$dir/err"; status=$? ;;
    pipe) (cd "$dir" && exec "$capture" "$@") 2>"$dir/err" | head -c 0; status=${PIPESTATUS[0]} ;;
    full) (cd "$dir" && exec "$capture" "$@") >/dev/full 2>"$dir/err"; status=$? ;;
    closed) (cd "$dir" && exec "$capture" "$@") >&- 2>"$dir/err"; status=$? ;;
  esac
}
one_line() { [[ $(wc -l <"$1") -eq 1 && -z $(tail -n +2 "$1") ]]; }
expect_log() {  # the expected log on standard input
  cat >"$work/want"
  cmp -s "$work/want" "$dir/ParticlesLog.txt" ||
    fail "log differs: $(diff "$work/want" "$dir/ParticlesLog.txt" 2>&1 | head -n 8)"
}

# Runs that succeed: frames streamed, the log lines between start-up and shutdown ('|'
# between lines), the options. A quit ends the run after its frame; plain c does nothing;
# the 63rd frame of 16 ms completes the first frame-rate window, (20 + 63) / 2.
while IFS=';' read -r name frames middle args; do
  fresh
  run file $args
  [[ $status -eq 0 && ! -s $dir/err ]] || fail "status $status: $(cat "$dir/err")"
  [[ $(stat -c %s "$dir/out") -eq $((frames * frame)) ]] || fail "not $frames frames streamed"
  { startup_lines; [[ -z $middle ]] || tr '|' '\n' <<<"$middle"; shutdown_lines; } | expect_log
done <<'RUNS'
three frames;0;;--frames 3
two quit keys;4;Quit game from KeyDown !|Quit game from Start Button !;--frames 10 --press 4:ctrl-c --press 4:start --stream
right Ctrl;2;Quit game from KeyDown !;--frames=5 --press=1:c --press=2:rctrl-c --stream
quit in the last frame;5;Quit game from SDL_QUIT !;--frames=5 --press=5:quit --stream
first rate window;0;PARTICLE : 41 FPS;--frames 63
RUNS

name="outputs agree"
fresh
run file --frames 300 --raw last.raw --png last.png --stream
[[ $status -eq 0 && $(stat -c %s "$dir/out") -eq $((300 * frame)) ]] || fail "status $status"
tail -c $frame "$dir/out" | cmp -s - "$dir/last.raw" || fail "--raw is not the stream's last frame"
# The signature and header of a 320x240 8-bit RGB PNG (its pixels: frame_files_test.cpp).
[[ $(od -An -tx1 -N26 "$dir/last.png" | tr -d ' \n') == \
   89504e470d0a1a0a0000000d4948445200000140000000f00802 ]] || fail "not a 320x240 RGB PNG"

name="help"
fresh
run file --help
[[ $status -eq 0 && $(cat "$dir/out") == *"--press F:KEY"* && ! -e $dir/ParticlesLog.txt ]] ||
  fail "status $status, or no usage, or a log"

# Bad arguments: 64 and one line, before anything runs: an earlier log untouched, none made.
for args in "--frames 0" "--dt abc" "--start -1" "--stall 9:1" "--press 1:esc" "--nope" \
  "--frames" "--frames 2 --press 3:space"; do
  name="bad: $args"
  fresh
  echo "earlier run" >"$dir/ParticlesLog.txt"
  run file $args
  [[ $status -eq 64 ]] && one_line "$dir/err" || fail "status $status: $(cat "$dir/err")"
  [[ $(cat "$dir/ParticlesLog.txt") == "earlier run" ]] || fail "the log was touched"
  rm "$dir/ParticlesLog.txt" && run file $args
  [[ -e $dir/ParticlesLog.txt ]] && fail "a log was made"
done

# Failed outputs: the status, exactly its line, the log (complete, none: not made, full: a
# link to /dev/full, dir or dangling) and the device node and link it was given still there.
devices=1
mknod "$work/node" c 1 7 2>/dev/null || { devices=0; echo "device node cases skipped: no mknod here"; }
while IFS=';' read -r out log want line args; do
  name="$out, log $log: $args"
  [[ $devices -eq 0 && "$out $log $args" == *full* ]] && continue
  fresh
  echo x >"$dir/plain"
  [[ $devices -eq 1 ]] && mknod "$dir/full" c 1 7 && ln -s /dev/full "$dir/link"
  case $log in
    full) ln -s /dev/full "$dir/ParticlesLog.txt" ;;
    dir) mkdir "$dir/ParticlesLog.txt" ;;
    dangling) ln -s missing/log "$dir/ParticlesLog.txt" ;;
  esac
  eval "set -- $args"  # a quoted argument may hold a newline
  run "$out" "$@"
  [[ $status -eq $want && $(cat "$dir/err") == "particles-capture: $line" ]] && one_line "$dir/err" ||
    fail "status $status: $(cat "$dir/err")"
  [[ $log == complete ]] && { startup_lines; shutdown_lines; } | expect_log
  [[ $log == none && -e $dir/ParticlesLog.txt ]] && fail "a log was made"
  [[ $devices -eq 0 || (-c $dir/full && -L $dir/link) ]] || fail "a path it was given is gone"
done <<'FAILS'
file;complete;74;cannot write plain/frame.png;--frames 2 --png plain/frame.png
file;complete;74;cannot write full;--png full
file;complete;74;cannot write link;--png link
pipe;complete;74;cannot write /dev/stdout;--raw /dev/stdout
pipe;complete;74;cannot write the frame stream to standard output;--frames 1000000000 --stream
full;complete;74;cannot write the frame stream to standard output;--frames 1000000000 --stream
closed;complete;74;cannot write the frame stream to standard output;--frames 3 --stream
full;none;74;cannot write the usage to standard output;--help
file;full;74;cannot write ParticlesLog.txt: No space left on device;--frames 5
file;dir;2;cannot create ParticlesLog.txt: Is a directory;
file;dangling;2;cannot create ParticlesLog.txt: No such file or directory;
file;complete;74;cannot write plain/a\x0ab;--raw $'plain/a\nb'
FAILS

[[ $failures -eq 0 ]] || exit 1
echo "capture end to end: all cases passed"
