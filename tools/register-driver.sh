#!/usr/bin/env bash
# Writes the stand-in registry file so that the mixer finds the given driver API library, as the
# driver's installer does on Windows.
set -euo pipefail
library="$1"
folder="${HOME}/.config/Kelvaro"
mkdir -p "$folder"
escaped=$(printf '%s' "$library" | sed -e 's/\\/\\\\/g' -e 's/"/\\"/g')
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\CLSID\\{5B8C2D71-4E96-4A3F-B1D2-7E0C9A46F385}\\InprocServer32]\r\n@="%s"\r\n' \
    "$escaped" > "$folder/registry.reg"
