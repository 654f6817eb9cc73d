#!/usr/bin/env bash
# Runs a command on the X display given by $DISPLAY (an Xvfb of run-benchmarks.sh) as on a desktop
# whose display scale is SCALE (a whole number): an XSETTINGS manager announces
# Gdk/WindowScalingFactor, and the root window carries _NET_WORKAREA (the whole screen) and
# _NET_CURRENT_DESKTOP, without which the framework does not ask for the display's scale.
#
#   bash tools/scaled-display.sh SCALE command [arguments...]
set -euo pipefail

scale="$1"
shift

config=$(mktemp)
trap 'rm -f "$config"' EXIT
echo "Gdk/WindowScalingFactor $scale" > "$config"

xsettingsd -c "$config" > /dev/null 2>&1 &
settings=$!
trap 'kill "$settings" 2> /dev/null || true; rm -f "$config"' EXIT

# The screen's size, from the root window, as the work area of the one desktop.
read -r width height < <(xwininfo -root | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')
xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 0, $width, $height"
xprop -root -f _NET_CURRENT_DESKTOP 32c -set _NET_CURRENT_DESKTOP 0

# Time for the manager to take its selection before the program starts.
sleep 0.5

"$@"
