#!/usr/bin/env bash
# Builds the benchmarks in Release (build/release) and prints every figure as "name: value unit",
# the last line a summary against the targets:
#   meter tick of the advanced view (VANTIQ TROVIK, 1600 x 1000): median <= 1 ms (3 % of 33 ms),
#     exactly one DSP request per tick, every frame it asks for counted;
#   the real executable under Xvfb (1920 x 1200), medians of five runs: first painted frame
#     <= 300 ms in the advanced view and <= 100 ms in the simple view, resident memory 5 s after
#     the start <= 80 MB; idle over 20 s (median of three runs), the advanced view at 1600 x 1000:
#     CPU <= 3 % of one core and <= 31 X damage events a second, the simple view: CPU <= 0.5 %;
#   beside them the framework's floor: a bare window of the same size that repaints the same two
#     areas with one colour 30 times a second (under the advanced view), and one that repaints
#     nothing (under the simple view);
#   on scaled displays: the meter tick at display scales 1.25, 1.5 and 2, each <= 1.5 S^2 times the
#     tick at scale 1 (S^2 is its share of pixels), and the advanced view idle at display scale 2
#     (1600 x 1000 in a 3200 x 2000 pixel window, Xvfb of 3840 x 2400 with an XSETTINGS manager,
#     tools/scaled-display.sh) within 2x the repainting floor at the same scale;
#   the advanced view at scale (N channels of each kind, 9 N^2 cells): time per cell for building
#     within 2x of the TROVIK's at 2,304, 9,216 and 36,864 cells; 64 of each kind: first meter
#     request <= 5 s; 256 of each kind: first meter request <= 60 s and resident memory <= 2 GB.
#
#   KELVARO_BENCH_TICKS    meter ticks to time (default 400)
#   KELVARO_BENCH_QUICK=1  one run of each start-up figure and 5 s idle, no 256-channel run
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
source tools/build-env.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARO_BUILD_TESTS=OFF -DKELVARO_BUILD_TOOLS=OFF > /dev/null
cmake --build "$build" --target kelvaro_bench kelvaro_scale_bench kelvaro_startup_bench kelvaro_repaint_floor KelvaroMixer > /dev/null

quick="${KELVARO_BENCH_QUICK:-0}"
runs=5; idleRuns=3; idleSeconds=20
if [ "$quick" = 1 ]; then runs=1; idleRuns=1; idleSeconds=5; fi

screen=(-s "-screen 0 1920x1200x24")

# The figure of that name in the text given, without its unit.
figure() { sed -n "s/^$1: \([0-9.]*\) .*/\1/p" <<< "$2" | head -n 1; }

# The median of the numbers given, one per argument.
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

"$build/bench/kelvaro_bench" --ticks "${KELVARO_BENCH_TICKS:-400}" | tee "$build/bench.txt"
bench=$(cat "$build/bench.txt")

# The meter tick on scaled displays: the same view, the frame S times as wide and as high.
declare -A scaledTick
displayScales=(1.25 1.5 2)
for s in "${displayScales[@]}"; do
    out=$("$build/bench/kelvaro_bench" --ticks "${KELVARO_BENCH_TICKS:-400}" --scale "$s")
    scaledTick[$s]=$(figure meter_tick_median "$out")
    echo "meter_tick_median_scale_$s: ${scaledTick[$s]} ms (painted $(figure meter_tick_painted_area_median "$out") px per tick)"
done

# Start-up: the advanced and the simple view, five runs each.
declare -A frames rss
for mode in advanced simple; do
    flag=(); [ "$mode" = simple ] && flag=(--simple)
    frames[$mode]=""; rss[$mode]=""
    for ((run = 1; run <= runs; ++run)); do
        out=$(xvfb-run -a "${screen[@]}" "$build/bench/kelvaro_startup_bench" "${flag[@]}")
        frames[$mode]+="$(figure startup_first_frame "$out") "
        rss[$mode]+="$(figure startup_rss_5s "$out") "
        [ "$run" = 1 ] && echo "startup_window_$mode: $(sed -n 's/^startup_window: //p' <<< "$out")"
    done
    echo "startup_first_frame_${mode}_median: $(median ${frames[$mode]}) ms (runs: ${frames[$mode]% })"
    echo "startup_rss_5s_${mode}_median: $(median ${rss[$mode]}) MB (runs: ${rss[$mode]% })"
done

# Idle: the advanced view at 1600 x 1000 and the simple view as it starts.
declare -A cpu events rectangles
for mode in advanced simple; do
    flag=(--size 1600x1000); [ "$mode" = simple ] && flag=(--simple)
    cpu[$mode]=""; events[$mode]=""; rectangles[$mode]=""
    for ((run = 1; run <= idleRuns; ++run)); do
        out=$(xvfb-run -a "${screen[@]}" "$build/bench/kelvaro_startup_bench" "${flag[@]}" --idle-seconds "$idleSeconds")
        cpu[$mode]+="$(figure idle_cpu "$out") "
        events[$mode]+="$(figure idle_damage_events "$out") "
        rectangles[$mode]+="$(figure idle_damage_rectangles "$out") "
    done
    echo "idle_cpu_${mode}_median: $(median ${cpu[$mode]}) % (runs: ${cpu[$mode]% })"
    echo "idle_damage_events_${mode}_median: $(median ${events[$mode]}) per s (runs: ${events[$mode]% })"
    echo "idle_damage_rectangles_${mode}_median: $(median ${rectangles[$mode]}) per s (runs: ${rectangles[$mode]% })"
done

declare -A floor
for kind in repainting still; do
    argument=(); [ "$kind" = still ] && argument=(--program-argument --still)
    floor[$kind]=""
    for ((run = 1; run <= idleRuns; ++run)); do
        out=$(xvfb-run -a "${screen[@]}" "$build/bench/kelvaro_startup_bench" --program "$build/bench/kelvaro_repaint_floor" \
              "${argument[@]}" --idle-seconds "$idleSeconds")
        floor[$kind]+="$(figure idle_cpu "$out") "
    done
    echo "idle_cpu_framework_floor_${kind}_median: $(median ${floor[$kind]}) % (runs: ${floor[$kind]% })"
done

# Idle at display scale 2: the advanced view at 1600 x 1000 (3200 x 2000 pixels), and the
# repainting floor, whose window is the same size at the same scale.
scaledScreen=(-s "-screen 0 3840x2400x24")
scaledCpu=""; scaledFloor=""
for ((run = 1; run <= idleRuns; ++run)); do
    out=$(xvfb-run -a "${scaledScreen[@]}" bash tools/scaled-display.sh 2 "$build/bench/kelvaro_startup_bench" \
          --size 3200x2000 --idle-seconds "$idleSeconds")
    scaledCpu+="$(figure idle_cpu "$out") "
    [ "$run" = 1 ] && echo "idle_window_advanced_scale_2: $(sed -n 's/^idle_window: //p' <<< "$out")"
    out=$(xvfb-run -a "${scaledScreen[@]}" bash tools/scaled-display.sh 2 "$build/bench/kelvaro_startup_bench" \
          --program "$build/bench/kelvaro_repaint_floor" --idle-seconds "$idleSeconds")
    scaledFloor+="$(figure idle_cpu "$out") "
done
echo "idle_cpu_advanced_scale_2_median: $(median ${scaledCpu}) % (runs: ${scaledCpu% })"
echo "idle_cpu_framework_floor_repainting_scale_2_median: $(median ${scaledFloor}) % (runs: ${scaledFloor% })"

# Scale: the TROVIK as it is, then 16, 32, 64 (and 256) channels of each kind.
declare -A perCell firstMeter scaleRss
scales=(0 16 32 64); [ "$quick" = 1 ] || scales+=(256)
for n in "${scales[@]}"; do
    rebuilds=3; [ "$n" = 256 ] && rebuilds=1
    out=$(xvfb-run -a "${screen[@]}" "$build/bench/kelvaro_scale_bench" --channels "$n" --rebuilds "$rebuilds")
    cells=$(figure scale_cells "$out")
    perCell[$n]=$(figure scale_rebuild_per_cell "$out")
    firstMeter[$n]=$(figure scale_first_meter_request "$out")
    scaleRss[$n]=$(figure scale_rss "$out")
    echo "scale_${cells}_rebuild_per_cell: ${perCell[$n]} us"
    echo "scale_${cells}_first_meter_request: ${firstMeter[$n]} ms"
    echo "scale_${cells}_rss: ${scaleRss[$n]} MB"
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
tick=$(figure meter_tick_median "$bench")
scaledTicks=""
for s in "${displayScales[@]}"; do
    scaledTicks+="at $s ${scaledTick[$s]} ms ($(ratio "${scaledTick[$s]}" "$tick")x, target <= $(awk -v s="$s" 'BEGIN { printf "%.2f", 1.5 * s * s }')x), "
done
largest="n/a"; largestRss="n/a"
if [ -n "${firstMeter[256]:-}" ]; then largest="${firstMeter[256]} ms"; largestRss="${scaleRss[256]} MB"; fi

echo "summary: meter tick $(figure meter_tick_median "$bench") ms ($(figure meter_tick_budget_share "$bench") % of 33 ms; target <= 3 %)," \
     "$(sed -n 's/^meter_tick_dsp_requests: \([0-9]*\) per tick.*/\1/p' <<< "$bench") DSP request(s) per tick (target 1)," \
     "$(figure meter_tick_frames_painted_median "$bench") frame(s) painted per tick;" \
     "first frame advanced $(median ${frames[advanced]}) ms (target <= 300), simple $(median ${frames[simple]}) ms (target <= 100)," \
     "RSS $(median ${rss[advanced]}) MB (target <= 80);" \
     "idle CPU advanced $(median ${cpu[advanced]}) % (target <= 3; the framework alone $(median ${floor[repainting]}) %)," \
     "simple $(median ${cpu[simple]}) % (target <= 0.5; the framework alone $(median ${floor[still]}) %)," \
     "damage $(median ${events[advanced]}) events/s (target <= 31);" \
     "scaled displays: meter tick ${scaledTicks}idle CPU at 2 $(median ${scaledCpu}) % against the framework alone at 2" \
     "$(median ${scaledFloor}) % ($(ratio "$(median ${scaledCpu})" "$(median ${scaledFloor})")x, target <= 2x);" \
     "build per cell vs TROVIK: 2304 cells $(ratio "${perCell[16]}" "${perCell[0]}")x, 9216 $(ratio "${perCell[32]}" "${perCell[0]}")x," \
     "36864 $(ratio "${perCell[64]}" "${perCell[0]}")x (target <= 2);" \
     "first meter request at 36864 cells ${firstMeter[64]} ms (target <= 5000), at 589824 $largest (target <= 60000), RSS $largestRss (target <= 2048)"
