#!/usr/bin/env bash
# arm_count.sh [--mode 1|2|3] [--frames K] [--warmup F]: ARM instructions executed per
# steady-state frame, phase by phase, optimised and straightforward side by side.
# Cross-builds particles-frame-count for the console's CPU (build/arm-count) and a
# qemu-user plugin that counts guest instructions (build/arm-count/count_plugin.so),
# runs the program under qemu-arm once with each version of the passes and checks
# that both drew the same last picture. Not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=build/arm-count
target_root=/usr/arm-linux-gnueabi

bash scripts/deps.sh cmake make g++ gcc pkg-config libsdl1.2-dev g++-arm-linux-gnueabi qemu-user

mkdir -p "$dir"
gcc -shared -fPIC -O2 -Wall -Wextra -o "$dir/count_plugin.so" bench/count_plugin.c
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchains/arm-linux-gnueabi.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DPARTICLES_WITH_SDL=OFF -DPARTICLES_WITH_PNG=OFF \
  -DBUILD_TESTING=OFF >"$dir/configure.log" 2>&1 || { tail -n 30 "$dir/configure.log"; exit 1; }
if ! cmake --build "$dir" -j "$(nproc)" --target particles-frame-count >"$dir/build.log" 2>&1; then
  tail -n 40 "$dir/build.log"; echo "arm_count: build failed (log: $dir/build.log)" >&2; exit 1
fi

frames=20
args=("$@")
for ((i = 0; i < ${#args[@]}; ++i)); do
  [[ ${args[i]} == --frames && $((i + 1)) -lt ${#args[@]} ]] && frames=${args[i + 1]}
done

run() {  # output file, program arguments...
  local out=$1; shift
  qemu-arm -cpu arm926 -L "$target_root" -plugin "$dir/count_plugin.so" \
    "$dir/bench/particles-frame-count" "$@" >"$out.stdout" 2>"$out.counts"
}
run "$dir/optimised" "$@"
run "$dir/straightforward" --straightforward "$@"
cat "$dir/optimised.stdout"
if [[ $(sed 's/.*picture //' "$dir/optimised.stdout") != $(sed 's/.*picture //' "$dir/straightforward.stdout") ]]; then
  echo "arm_count: the two versions drew different pictures" >&2; exit 1
fi

# Phase numbers as the program marks them; 101 is the demo's own RunFrame, whole.
names=("view step" "Update2DEmiters" "Update3DEmiters" "ClearScreen" "2D plot" "3D plot"
  "unlock, flip, FPS")
per_frame() {  # counts file, phase: instructions per frame
  awk -v p="$2" -v f="$frames" '$1 == "phase" && $2 == p { printf "%d", $4 / f; found = 1 }
    END { if (!found) printf "0" }' "$1"
}
printf '\nARM instructions per frame (ARMv4T code under qemu-arm, mean of %s frames)\n' "$frames"
printf '  %-22s %12s %16s %9s\n' "" optimised straightforward ratio
sum_o=0 sum_s=0
for p in 0 1 2 3 4 5 6; do
  o=$(per_frame "$dir/optimised.counts" $p); s=$(per_frame "$dir/straightforward.counts" $p)
  sum_o=$((sum_o + o)); sum_s=$((sum_s + s))
  ratio=$(awk -v o="$o" -v s="$s" 'BEGIN { if (o > 0) printf "%.2fx", s / o; else printf "-" }')
  printf '  %-22s %12d %16d %9s\n' "${names[p]}" "$o" "$s" "$ratio"
done
printf '  %-22s %12d %16d %8.2fx\n' "frame (sum of phases)" "$sum_o" "$sum_s" \
  "$(awk -v o="$sum_o" -v s="$sum_s" 'BEGIN { print s / o }')"
printf '  %-22s %12d\n' "RunFrame, whole" "$(per_frame "$dir/optimised.counts" 101)"
