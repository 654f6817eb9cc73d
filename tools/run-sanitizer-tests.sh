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

# Leak checking at every test process's exit; no suppressions are needed. The leak checker does
# not follow the dynamic thread-local storage of libraries that were loaded and unloaded again (the
# driver and fixture libraries): GCC 12's checker reads such a library's stale slots after the
# unload and crashes at exit, depending on how the test binary happens to be laid out. Their
# thread-local data hold no pointers (a last error code), so nothing a leak check needs is lost.
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:intercept_tls_get_addr=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
