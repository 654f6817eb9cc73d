#!/usr/bin/env bash
# Fetches the two Barlow fonts (version 1.408) and their licence from the npm registry and puts
# them into resources/ under the names the program embeds them by.
set -euo pipefail

package="@expo-google-fonts/barlow@0.4.1"
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

(cd "$work" && npm pack --silent "$package" > /dev/null)
tar -xzf "$work"/expo-google-fonts-barlow-*.tgz -C "$work" \
    package/700Bold/Barlow_700Bold.ttf \
    package/400Regular/Barlow_400Regular.ttf \
    package/LICENSE_FONT

mkdir -p "$root/resources"
cp "$work/package/700Bold/Barlow_700Bold.ttf" "$root/resources/BARLOW-BOLD.TTF"
cp "$work/package/400Regular/Barlow_400Regular.ttf" "$root/resources/BARLOW-REGULAR.TTF"
cp "$work/package/LICENSE_FONT" "$root/resources/OFL.txt"

wc -c "$root/resources/BARLOW-BOLD.TTF" "$root/resources/BARLOW-REGULAR.TTF"
