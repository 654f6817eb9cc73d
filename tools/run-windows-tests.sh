#!/usr/bin/env bash
# Installs what is missing, cross-builds the Windows program, the simulated interface library
# (a DLL) and the whole test suite in build/windows with MinGW-w64, and runs the tests under Wine
# without a display (Wine's null graphics driver). Ends in CTest's summary.
#
#   KELVARO_CACHE_DIR   where the cross-built libraries and the Wine prefix are kept between runs
#                       (default: $XDG_CACHE_HOME/kelvaro or ~/.cache/kelvaro)
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
bash tools/windows/install-deps.sh
source tools/build-env.sh

cache="${KELVARO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvaro}"
export KELVARO_WINDOWS_DEPS="$(bash tools/windows/build-deps.sh)"

build=build/windows
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/mingw-w64-x86_64.cmake" \
    -DKELVARO_WINDOWS_DEPS="$KELVARO_WINDOWS_DEPS" -DKELVARO_BUILD_TOOLS=OFF -DKELVARO_WERROR=ON
cmake --build "$build"

# A Wine prefix of its own for headless runs (the windowed runs of tools/windows/smoke-test.sh
# use another one), set up once and kept in the cache.
source tools/windows/wine-env.sh headless

# One Wine server for the whole run: test processes starting at once would otherwise race to
# start it, and some of them fail. A first program starts Wine's background services with
# output of their own, so that they never hold a test's output pipe open.
wineserver -k 2>/dev/null || true
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
