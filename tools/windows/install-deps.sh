#!/usr/bin/env bash
# Installs the Debian packages that the Windows build and its runs under Wine need, beside those
# of tools/install-deps.sh, when any is missing.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev lld llvm googletest
          dpkg-dev python3 wine wine64 xvfb xauth x11-apps xdotool imagemagick)

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
