#!/usr/bin/env bash
# Installs what is missing, builds everything in Debug and runs the whole test suite: natively,
# under the sanitizers, the fuzz targets briefly, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
source tools/build-env.sh

build=build/debug
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVARO_WERROR=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer, leak checking on.
bash tools/run-sanitizer-tests.sh

# A short run of each fuzz target.
bash tools/run-fuzzers.sh

# The same suite built for Windows with MinGW-w64 and run under Wine.
bash tools/run-windows-tests.sh
