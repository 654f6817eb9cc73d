#!/usr/bin/env bash
# Installs what is missing, builds the mixer and the simulated interface library, registers the
# library where the mixer looks for the driver's API library, and starts the mixer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
source tools/build-env.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARO_BUILD_TESTS=OFF
cmake --build "$build" --target KelvaroMixer KelvaroSimulatedInterface

library="$(realpath "$build/simulator/KelvaroSimulatedInterface.so")"
bash tools/register-driver.sh "$library"

app="$(find "$build" -type f -name KelvaroMixer -perm -u+x | head -n 1)"
if [ -z "${DISPLAY:-}" ]; then
    echo "No display: set DISPLAY, or start it under a virtual one: xvfb-run -a $app" >&2
    exit 1
fi
exec "$app"
