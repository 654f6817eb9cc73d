#!/usr/bin/env bash
# Builds the benchmarks in Release (build/release) and prints every figure as "name: value unit",
# the last line a summary against the targets:
#   meter tick of the advanced view (VANTIQ TROVIK, 1600 x 1000): median <= 1 ms (3 % of 33 ms),
#     exactly one DSP request per tick;
#   rebuildView into that view: <= 50 ms;
#   start-up of the real executable under Xvfb to its first painted frame: <= 300 ms (median of
#     five runs), resident memory 5 s after the start: <= 80 MB.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/build-env.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARO_BUILD_TESTS=OFF -DKELVARO_BUILD_TOOLS=OFF > /dev/null
cmake --build "$build" --target kelvaro_bench kelvaro_startup_bench KelvaroMixer > /dev/null

"$build/bench/kelvaro_bench" --ticks "${KELVARO_BENCH_TICKS:-400}" | tee "$build/bench.txt"

frames=()
rss=()
for run in 1 2 3 4 5; do
    out=$(xvfb-run -a -s "-screen 0 1920x1200x24" "$build/bench/kelvaro_startup_bench")
    frames+=("$(sed -n 's/^startup_first_frame: \([0-9.]*\) ms$/\1/p' <<< "$out")")
    rss+=("$(sed -n 's/^startup_rss_5s: \([0-9.]*\) MB$/\1/p' <<< "$out")")
done
frame=$(printf '%s\n' "${frames[@]}" | sort -n | sed -n 3p)
memory=$(printf '%s\n' "${rss[@]}" | sort -n | sed -n 3p)
echo "startup_first_frame_median: $frame ms (runs: ${frames[*]})"
echo "startup_rss_5s_median: $memory MB (runs: ${rss[*]})"

tick=$(sed -n 's/^meter_tick_median: \([0-9.]*\) ms$/\1/p' "$build/bench.txt")
share=$(sed -n 's/^meter_tick_budget_share: \([0-9.]*\) %$/\1/p' "$build/bench.txt")
requests=$(sed -n 's/^meter_tick_dsp_requests: \([0-9]*\) per tick.*/\1/p' "$build/bench.txt")
rebuild=$(sed -n 's/^rebuild_view_median: \([0-9.]*\) ms$/\1/p' "$build/bench.txt")
echo "summary: meter tick $tick ms ($share % of 33 ms; target <= 3 %), $requests DSP request(s) per tick (target 1)," \
     "rebuildView $rebuild ms (target <= 50), first frame $frame ms (target <= 300), RSS $memory MB (target <= 80)"
