#!/usr/bin/env bash
# bench.sh [benchmark options]: builds the benchmarks (optimised, in build/bench) and
# prints Google Benchmark's table, then the summary: each display mode's frame and
# each pass, optimised beside the straightforward reference, and the frames as
# multiples of the floor (a mode-3 frame's own clear and stamps, replayed). The
# default is nine repetitions, interleaved so that a busy machine spreads its noise
# over both versions, reported as medians. Not part of the test command.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh cmake make g++ pkg-config libsdl1.2-dev libgtest-dev libpng-dev libbenchmark-dev

dir=build/bench
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DPARTICLES_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
if ! cmake --build "$dir" -j "$(nproc)" --target particles-bench >"$dir/build.log" 2>&1; then
  tail -n 40 "$dir/build.log"; echo "bench: build failed (log: $dir/build.log)" >&2; exit 1
fi
if [[ $# -eq 0 ]]; then
  set -- --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true
fi
exec "$dir/bench/particles-bench" "$@"
