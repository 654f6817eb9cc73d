#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer and
# runs each of them.
#
#   bash tools/run-fuzzers.sh                 smoke run: 20000 inputs or 20 s per target (CI)
#   bash tools/run-fuzzers.sh 600             600 seconds per target
#   bash tools/run-fuzzers.sh 600 fuzz_registry_file    one target only
#
# Each target starts from its seed corpus in fuzz/corpus/<target> and keeps what it learns in
# <build>/corpus/<target>; a crash leaves its input in <build>/artifacts/, which the target built
# without libFuzzer (any other build's fuzz/<target>) replays: fuzz/<target> <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/build-env.sh

seconds="${1:-}"
shift || true

# A smoke run is mostly building: it builds unoptimised (build/fuzz-smoke), which is much quicker;
# a timed run is mostly fuzzing: it builds optimised (build/fuzz).
if [ -n "$seconds" ]; then
    build=build/fuzz
    type=RelWithDebInfo
else
    build=build/fuzz-smoke
    type=Debug
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKELVARO_FUZZ=ON -DKELVARO_SANITIZE=ON -DKELVARO_BUILD_TOOLS=OFF -DKELVARO_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" --target kelvaro_fuzzers

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in "$build"/fuzz/fuzz_*; do
        [ -x "$source" ] && targets+=("$(basename "$source")")
    done
fi

export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

mkdir -p "$build/artifacts"
status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    limit=(-runs=20000 -max_total_time=20)
    [ -n "$seconds" ] && limit=(-max_total_time="$seconds")
    dict=()
    [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
    log="$build/$target.log"
    echo "== $target ${limit[*]}"
    start=$(date +%s)
    if "$build/fuzz/$target" "${limit[@]}" "${dict[@]}" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$corpus" "fuzz/corpus/$target" > "$log" 2>&1; then
        result=passed
    else
        result=FAILED
        status=1
        tail -n 60 "$log"
    fi
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo "?")
    echo "$target: $result, $runs executions in $(( $(date +%s) - start )) s (log: $log)"
done
exit $status
