# Sourced by the Windows scripts: `source tools/windows/wine-env.sh headless|windowed`.
# Exports the environment for running the Windows binaries under Wine, with a prefix of its own
# for each kind of run (kept in the cache, made once):
# - headless: Wine's null graphics driver, so that no display is needed and timers and posted
#   messages still arrive (without a usable display driver Wine drops them);
# - windowed: the X11 driver, for runs on a (virtual) display.
# Wine never offers to download Mono or Gecko here: both are switched off.

kelvaroWineKind="${1:?headless or windowed}"
kelvaroWineCache="${KELVARO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvaro}"
kelvaroWineVersion="$(wine --version 2>/dev/null | tr -c 'A-Za-z0-9.\n-' '_')"

export WINEPREFIX="$kelvaroWineCache/wine/$kelvaroWineVersion-$kelvaroWineKind"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

if [ ! -f "$WINEPREFIX/.kelvaro-ready" ]; then
    echo "Setting up the Wine prefix $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    DISPLAY= wineboot --init >/dev/null 2>&1
    wineserver -w
    if [ "$kelvaroWineKind" = headless ]; then
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    fi
    wineserver -k 2>/dev/null || true
    wineserver -w
    touch "$WINEPREFIX/.kelvaro-ready"
fi

unset kelvaroWineKind kelvaroWineCache kelvaroWineVersion
