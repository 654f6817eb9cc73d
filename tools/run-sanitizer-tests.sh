#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (leak checking on) in
# build/asan and runs the whole test suite there, the fuzz targets' seed replays included.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/build-env.sh

build=build/asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVARO_WERROR=ON -DKELVARO_SANITIZE=ON \
    -DKELVARO_BUILD_TOOLS=OFF
cmake --build "$build"

# Leaks inside the system libraries that JUCE loads (fonts, X11) are not ours to fix; the
# suppression file lists each with the reason.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
