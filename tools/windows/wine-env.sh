# Sourced by the Windows scripts: `source tools/windows/wine-env.sh headless|windowed`.
# Exports the environment for running the Windows binaries under Wine, with a prefix of its own
# for each kind of run (kept in the cache, made once):
# - headless: Wine's null graphics driver, so that no display is needed and timers and posted
#   messages still arrive (without a usable display driver Wine drops them);
# - windowed: the X11 driver, for runs on a (virtual) display.
# Both draw without 3D support (wined3d's "no3d" renderer: JUCE's display code needs a DXGI
# factory, which a GL-less wined3d cannot make), start no debugger when a program crashes, and
# never offer to download Mono or Gecko.

kelvaroWineKind="${1:?headless or windowed}"
kelvaroWineCache="${KELVARO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvaro}"
kelvaroWineVersion="$(dpkg-query -W -f='${Version}' wine64 2>/dev/null | tr -c 'A-Za-z0-9.+-' '_')"

export WINEPREFIX="$kelvaroWineCache/wine/$kelvaroWineKind-$kelvaroWineVersion"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

# The prefix is made again whenever this recipe changes.
kelvaroWineRecipe="$(sha256sum "${BASH_SOURCE[0]}" | cut -c1-16)"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 8>"$WINEPREFIX.lock"
flock 8

if [ "$(cat "$WINEPREFIX/.kelvaro-ready" 2>/dev/null)" != "$kelvaroWineRecipe" ]; then
    echo "Setting up the Wine prefix $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    DISPLAY= wineboot --init >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d no3d /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f >/dev/null 2>&1
    if [ "$kelvaroWineKind" = headless ]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    fi
    wineserver -k 2>/dev/null || true
    wineserver -w
    echo "$kelvaroWineRecipe" >"$WINEPREFIX/.kelvaro-ready"
fi

exec 8>&-
unset kelvaroWineKind kelvaroWineCache kelvaroWineVersion kelvaroWineRecipe
