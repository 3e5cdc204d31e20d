#!/usr/bin/env bash
# arm_count.sh [--mode 1|2|3] [--frames K] [--warmup F]: ARM instructions executed per
# steady-state frame and what they cost on the console (estimated cycles, cache misses,
# stores to memory), phase by phase, optimised and straightforward side by side.
# Cross-builds particles-frame-count for the console's CPU (build/arm-count) and the
# qemu-user plugin that counts and models them (build/arm-count/count_plugin.so; its
# memory parameters can be set with COUNT_PLUGIN_ARGS, e.g. "fill=60,word=6"), runs the
# program under qemu-arm once with each version of the passes and checks that both
# drew the same last picture. Not part of the test command.
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
  local plugin=$dir/count_plugin.so${COUNT_PLUGIN_ARGS:+,$COUNT_PLUGIN_ARGS}
  qemu-arm -cpu arm926 -L "$target_root" -plugin "$plugin" \
    "$dir/bench/particles-frame-count" "$@" >"$out.stdout" 2>"$out.counts"
}
run "$dir/optimised" "$@"
run "$dir/straightforward" --straightforward "$@"
cat "$dir/optimised.stdout"
if [[ $(sed 's/.*picture //' "$dir/optimised.stdout") != $(sed 's/.*picture //' "$dir/straightforward.stdout") ]]; then
  echo "arm_count: the two versions drew different pictures" >&2; exit 1
fi

# Phase numbers as the program marks them; 101 is the demo's own RunFrame, whole.
# Plugin lines: phase <id> <entries> <instructions> <cycles> <D-misses> <I-misses>
# <store misses> <memory cycles>; columns of one version per frame, by phase.
awk -v frames="$frames" -v model="$(grep '^model' "$dir/optimised.counts")" '
  FNR == 1 { v++ }
  $1 == "phase" { for (k = 4; k <= 9; ++k) n[v, $2, k] = $k / frames }
  function row(name, p, o, s) {
    o = n[1, p, 5]; s = n[2, p, 5]
    if (p == 101) {  # the shipped frame step: optimised only
      printf "  %-22s %10d %18s %10d\n", name, n[1, p, 4], "", o
      return
    }
    printf "  %-22s %10d %10d %6.2fx %10d %10d %6.2fx\n", name, n[1, p, 4], n[2, p, 4],
      n[1, p, 4] ? n[2, p, 4] / n[1, p, 4] : 0, o, s, o ? s / o : 0
  }
  function at(c) {  # cycles at 200 MHz
    return sprintf("%.2f M cycles, %5.2f ms, %3.0f frames a second", c / 1e6, c / 2e5, 2e8 / c)
  }
  function memory(name, p) {
    printf "  %-22s %7d %6d %7d %8d   %7d %6d %7d %8d\n", name, n[1, p, 6], n[1, p, 7],
      n[1, p, 8], n[1, p, 9], n[2, p, 6], n[2, p, 7], n[2, p, 8], n[2, p, 9]
  }
  END {
    split("view step|Update2DEmiters|Update3DEmiters|ClearScreen|2D plot|3D plot|" \
      "unlock, flip, FPS", names, "|")
    for (v = 1; v <= 2; ++v) for (k = 4; k <= 9; ++k) for (p = 0; p <= 6; ++p)
      n[v, "sum", k] += n[v, p, k]
    sub(/^model /, "", model)
    printf "\nCost per frame on the console, an ARM920T at 200 MHz, as count_plugin.c models it\n"
    printf "(%s; ARMv4T code under qemu-arm, mean of %d frames)\n", model, frames
    printf "  %-22s %29s %29s\n", "", "------- instructions -------", "---------- cycles ----------"
    printf "  %-22s %10s %10s %7s %10s %10s %7s\n", "", "optimised", "straightf.", "ratio",
      "optimised", "straightf.", "ratio"
    for (p = 0; p <= 6; ++p) row(names[p + 1], p)
    row("frame (sum of phases)", "sum")
    row("RunFrame, whole", 101)
    printf "\n  %-22s %31s   %31s\n", "memory", "---------- optimised ----------",
      "------- straightforward -------"
    heads = sprintf(" %7s %6s %7s %8s", "D-miss", "I-miss", "st-miss", "mem-cyc")
    printf "  %-22s%s  %s\n", "", heads, heads
    for (p = 0; p <= 6; ++p) memory(names[p + 1], p)
    memory("frame (sum of phases)", "sum")
    printf "  (D-miss: loads that filled a line; st-miss: stores that went to the write buffer;\n"
    printf "  mem-cyc: cycles spent on line fills and write-buffer waits, part of the cycles)\n"
    printf "\nA frame on the console at 200 MHz\n"
    printf "  %-22s %s\n", "optimised", at(n[1, "sum", 5])
    printf "  %-22s %s\n", "straightforward", at(n[2, "sum", 5])
    printf "  %-22s %s (optimised)\n", "RunFrame, whole", at(n[1, 101, 5])
  }' "$dir/optimised.counts" "$dir/straightforward.counts"
