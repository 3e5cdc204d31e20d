#!/usr/bin/env bash
# soak.sh [SEED]: a million frames of particles-capture (build/release, built if absent)
# through all three display modes, with presses and stalls drawn from SEED (default 1)
# and the 32-bit clock wrapping on the way, every frame streamed. Passes when the run
# ends normally, its pool reports show every block free, and its peak resident size
# is no larger than it was after the first 1,000 frames. Not part of scripts/test.sh:
# it takes a few minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seed=${1:-1}
[[ $seed =~ ^[0-9]+$ ]] || { echo "usage: scripts/soak.sh [SEED]  (SEED: decimal digits)" >&2; exit 64; }
frames=1000000
short=1000
native=build/release

bash scripts/deps.sh cmake make g++ pkg-config libsdl1.2-dev libpng-dev time procps
if [[ ! -f $native/CMakeCache.txt ]]; then
  cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$native" -j "$(nproc)" --target particles-capture >/dev/null
capture=$root/$native/tools/particles-capture

# The script's own generator (31-bit LCG), so a seed means the same run everywhere.
state=$(( (10#$seed * 2654435761 + 1) % 2147483648 ))
rand() {  # rand N: 0..N-1 into $r
  state=$(( (state * 1103515245 + 12345) % 2147483648 ))
  r=$(( (state >> 4) % $1 ))
}

# Every mode within the first 1,000 frames, so that they have drawn all there is to draw;
# then presses anywhere: mode cycles (Space, Select), and keys and buttons that do
# nothing (c without Ctrl, buttons other than Start). Stalls up to 100 s.
rand 20000000; start=$(( 4294967296 - 1 - r ))  # wraps within the first 20,000,000 ms
rand 333; first=$(( 1 + r ))
rand 333; second=$(( 334 + r ))
args=(--start "$start" --press "$first:space" --press "$second:space")
for ((i = 0; i < 1500; ++i)); do
  rand "$frames"; f=$(( 1 + r ))
  rand 20
  if (( r < 10 )); then key=space; elif (( r < 15 )); then key=select; elif (( r < 17 )); then key=c
  else rand 255; key=button:$(( r < 8 ? r : r + 1 )); fi  # never 8, the Start button
  args+=(--press "$f:$key")
done
for ((i = 0; i < 300; ++i)); do
  rand "$frames"; f=$(( 1 + r )); rand 100001
  args+=(--stall "$f:$r")
done

# Frames in each display mode: Space, Select and button 9 cycle it from the press's frame on.
modes=$(printf '%s\n' "${args[@]}" | awk -F: -v n="$frames" '
  /^[0-9]+:(space|select|button:9)$/ { cycles[$1]++ }
  END { m = 1; for (f = 1; f <= n; ++f) { m = (m - 1 + cycles[f]) % 3 + 1; count[m]++ }
        printf "%d, %d and %d frames in modes 1, 2 and 3", count[1], count[2], count[3] }')
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/frames"
echo "soak: seed $seed: $frames frames, $(( (${#args[@]} - 2) / 2 - 300 )) presses, 300 stalls," \
  "the clock starting at $start; $modes; every frame through --stream"
# The frames go through a pipe whose reader pauses after the first $short frames and
# again before the last one, the run blocked behind it, to read its peak resident size
# so far (VmHWM), which must not grow between the two. time(1) adds the peak over the
# whole run, shutdown included, as the kernel counts it for a process that has ended.
(cd "$work" && exec /usr/bin/time -f '%M %e %x' -o time.txt \
   "$capture" --frames "$frames" --stream "${args[@]}" >"$work/frames") &
timer=$!
peak_so_far() { awk '/^VmHWM:/ { print $2 }' "/proc/$(pgrep -P "$timer")/status"; }
{
  dd bs=153600 count="$short" iflag=fullblock status=none of=/dev/null
  peak_so_far >"$work/early.txt"
  dd bs=153600 count=$(( frames - short - 1 )) iflag=fullblock status=none of=/dev/null
  peak_so_far >"$work/late.txt"
  wc -c >"$work/last.txt"
} <"$work/frames"
wait "$timer" || true
read -r peak_kb seconds status < <(tail -n 1 "$work/time.txt")
read -r early_kb <"$work/early.txt"
read -r late_kb <"$work/late.txt"
read -r last <"$work/last.txt"
log=$work/ParticlesLog.txt

fail=0
[[ $status == 0 && $last == 153600 ]] || {
  echo "soak: particles-capture exited with status $status, not after its last frame"; fail=1; }
blocks=$(grep -c '^Bloc : ' "$log" || true)
used=$(grep '^Bloc : ' "$log" | grep -vc ', Used : 0$' || true)
sizes=$(awk -F', ' '/^< Particles Allocation LOG >$/ { if (n++) printf " "; s = 0 }
                    /^Bloc : / { split($2, a, " : "); s += a[2] }
                    /^< Particles System LOG END >$/ { printf "%d", s }' "$log")
[[ $used == 0 && $sizes == "3000 3000" ]] || {
  echo "soak: the pool reports show $used blocks in use and pools of '$sizes' slots (expected 3000 3000)"; fail=1; }
(( late_kb <= early_kb )) || {
  echo "soak: peak resident size grew from $early_kb KB after $short frames to $late_kb KB"; fail=1; }
echo "soak: $frames frames in $seconds s; pool reports: $blocks blocks, $used in use; peak" \
  "resident size $early_kb KB after $short frames, $late_kb KB before the last, $peak_kb KB" \
  "over the whole run (time); $(grep -c '^PARTICLE : ' "$log") frame-rate lines"
exit "$fail"
