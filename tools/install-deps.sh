#!/usr/bin/env bash
# Installs the Debian packages that building and testing the mixer needs, when any is missing.
# Further package names given as arguments are installed the same way.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config juce-modules-source libgtest-dev fontconfig-config ccache
          xvfb xauth xdotool x11-apps x11-utils xsettingsd imagemagick clang libclang-rt-14-dev "$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${packages[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sh -c "$line"
elif command -v sudo >/dev/null 2>&1; then
    sudo sh -c "$line"
else
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them as root with:" >&2
    echo "  $line" >&2
    exit 1
fi
