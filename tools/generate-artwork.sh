#!/usr/bin/env bash
# Builds the artwork generator and draws every picture, logo and icon into resources/ again.
# The output is committed; run this only after changing the generator in tools/artwork/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/build-env.sh

build=build/artwork
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVARO_BUILD_TESTS=OFF -DKELVARO_BUILD_TOOLS=ON > /dev/null
cmake --build "$build" --target kelvaro_artwork
"$build/tools/artwork/kelvaro_artwork" resources

# For checking the result by eye: a contact sheet of everything as the program draws it.
"$build/tools/artwork/kelvaro_artwork" --preview resources "$build/artwork-preview.png"
echo "preview: $build/artwork-preview.png"
