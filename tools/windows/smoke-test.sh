#!/usr/bin/env bash
# A windowed smoke run of the Windows program: Wine's virtual desktop (1024 x 768) on a private
# Xvfb display, the simulated interface library registered under the driver's class key as its
# installer would, a first start (no user settings). Checks that the window shows the mixer and
# that a click reaches it (the click on a macro slider's track sends a DSP request, which the
# simulator's journal records), and saves a screenshot of the desktop after the click.
#
#   smoke-test.sh KelvaroMixer.exe KelvaroSimulatedInterface.dll screenshot.png
#
# Exit code 0: passed; 77: cannot run here (no Xvfb or Wine); anything else: failed.
set -uo pipefail

app="$(realpath "$1")"
library="$(realpath "$2")"
screenshot="$3"
here="$(cd "$(dirname "$0")" && pwd)"

for tool in Xvfb wine xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "smoke test skipped: $tool is not installed"; exit 77; }
done

work="$(mktemp -d)"
xvfb=
ownPrefix=
cleanup()
{
    [ -n "$ownPrefix" ] && wineserver -k 2>/dev/null   # only the windowed prefix's own server
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "smoke test FAILED: $*"; exit 1; }

# A display of its own: Xvfb picks a free number and tells it through -displayfd.
coproc XVFB { exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null; }
xvfb=$XVFB_PID
read -r -t 30 number <&"${XVFB[0]}" || fail "Xvfb did not start"
export DISPLAY=":$number"

source "$here/wine-env.sh" windowed
ownPrefix="$WINEPREFIX"
wineserver -k 2>/dev/null
rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Kelvaro

wine reg add 'HKCR\CLSID\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\InprocServer32' /ve \
    /d "$(winepath -w "$library")" /f >/dev/null 2>&1 || fail "cannot register the simulated library"

journal="$work/journal.txt"
KELVARO_SIM_JOURNAL="$(winepath -w "$journal")" \
    wine explorer /desktop=kelvaro,1024x768 "$(winepath -w "$app")" >"$work/wine.log" 2>&1 &

# Started once the view has asked the simulated interface for its state; then give it time to paint.
for _ in $(seq 1 60); do
    grep -q GetDspProperty "$journal" 2>/dev/null && break
    sleep 0.5
done
grep -q GetDspProperty "$journal" 2>/dev/null || { cat "$work/wine.log"; fail "the mixer never talked to the simulated interface"; }
sleep 3

shot() { import -window root "$work/root.png" && convert "$work/root.png" -crop 1024x768+0+0 +repage "$1"; }
shot "$work/before.png" || fail "no screenshot"

# The window shows the mixer: the view's dark panels fill the middle of the desktop.
dark="$(convert "$work/before.png" -crop 600x400+212+184 +repage -colorspace Gray -format '%[fx:mean<0.25]' info:)"
[ "$dark" = 1 ] || fail "the window does not show the mixer"

# The view opens at 800 x 550, centred on the desktop: its top left is at (112, 109). The third
# macro slider's track runs at x = 550 from the top of the view down; a click on it moves the
# slider and sends the new gain to the interface.
requestsBefore="$(grep -c SetDspProperty "$journal")"
xdotool mousemove 662 260 click 1
sleep 2
shot "$work/after.png" || fail "no screenshot"
mkdir -p "$(dirname "$screenshot")"
cp "$work/after.png" "$screenshot"

requestsAfter="$(grep -c SetDspProperty "$journal")"
[ "$requestsAfter" -gt "$requestsBefore" ] || fail "the click did not reach the mixer (no DSP request sent)"

changed="$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)"
[ "${changed%% *}" -gt 100 ] 2>/dev/null || fail "the window did not repaint after the click ($changed pixels changed)"

echo "smoke test passed: the mixer shows, the click sent $((requestsAfter - requestsBefore)) DSP request(s), $changed pixels changed; screenshot $screenshot"
