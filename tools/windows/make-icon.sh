#!/usr/bin/env bash
# Makes the executable's icon (resources/windows/KelvaroMixer.ico) from the application icon's
# 16, 32 and 48 px pictures: three 32-bit images (8-bit alpha). The .ico is committed; run this
# again whenever resources/icons/ changes.
set -euo pipefail
cd "$(dirname "$0")/../.."

icons=resources/icons
convert "$icons/icon-16.png" "$icons/icon-32.png" "$icons/icon-48.png" \
    -alpha set -define bmp:format=bmp4 -compress none resources/windows/KelvaroMixer.ico
