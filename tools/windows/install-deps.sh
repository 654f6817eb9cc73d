#!/usr/bin/env bash
# Installs the Debian packages that the Windows build and its runs under Wine need, beside those
# of tools/install-deps.sh, when any is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."

bash tools/install-deps.sh g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev \
    lld llvm googletest dpkg-dev python3 wine wine64
