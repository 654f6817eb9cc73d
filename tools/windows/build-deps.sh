#!/usr/bin/env bash
# Cross-builds the libraries that the Windows build needs and Debian ships for Linux only:
# libpng and libjpeg-turbo (from Debian's source packages, SIMD off) and GoogleTest (from
# /usr/src/googletest), all as static libraries.
#
# The result is kept in a cache folder named after the versions of everything that goes into it,
# outside the work tree, so that later runs and CI runs on the same machine (in other clones)
# reuse it. Prints the folder's path (the prefix to pass as KELVARO_WINDOWS_DEPS) on stdout;
# everything else goes to stderr.
#
#   KELVARO_CACHE_DIR   cache root (default: $XDG_CACHE_HOME/kelvaro or ~/.cache/kelvaro)
#
# Fetching the sources uses an apt configuration of its own (a deb-src twin of the system's
# Debian entries, with its own package lists) and leaves the system's apt sources alone.
set -euo pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
toolchain="$root/cmake/toolchains/mingw-w64-x86_64.cmake"
cache="${KELVARO_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvaro}"
jobs="$(nproc)"

log() { echo "build-deps: $*" >&2; }

gtestVersion="$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || true)"
mingwVersion="$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix 2>/dev/null || true)"
zlibVersion="$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null || true)"

if [ -z "$gtestVersion" ] || [ -z "$mingwVersion" ] || [ -z "$zlibVersion" ]; then
    log "needs googletest, g++-mingw-w64-x86-64-posix and libz-mingw-w64-dev installed"
    exit 1
fi

# The recipe is part of the key: a change to this script builds afresh.
recipe="$(sha256sum "$0" | cut -c1-12)"
localKey="mingw-${mingwVersion}_zlib-${zlibVersion}_gtest-${gtestVersion}_${recipe}"

mkdir -p "$cache/windows-deps"
exec 9>"$cache/windows-deps/.lock"
flock 9   # one build at a time; a second run waits and then finds the result

# --- Debian's sources, through an apt configuration of our own --------------------------------
apt="$cache/apt"
mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/archives/partial"
rm -f "$apt/sources.list.d/"*
codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"

# One-line entries: the Debian release's "deb" lines become "deb-src" lines.
for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$list" ] || continue
    awk -v codename="$codename" '
        $1 == "deb" { for (i = 2; i <= NF; ++i) if ($i ~ "^" codename "(-|$)") { $1 = "deb-src"; print; next } }
    ' "$list" >>"$apt/sources.list.d/deb-src.list"
done

# deb822 entries: the stanzas of the Debian release get the type deb-src.
for list in /etc/apt/sources.list.d/*.sources; do
    [ -f "$list" ] || continue
    awk -v codename="$codename" '
        function flush() { if (stanza != "" && keep) printf "%s\n", stanza; stanza = ""; keep = 0 }
        /^[ \t]*$/ { flush(); next }
        /^#/ { next }
        /^Types:/ { stanza = stanza "Types: deb-src\n"; next }
        /^Suites:/ { for (i = 2; i <= NF; ++i) if ($i ~ "^" codename "(-|$)") keep = 1 }
        { stanza = stanza $0 "\n" }
        END { flush() }
    ' "$list" >"$apt/sources.list.d/$(basename "$list")"
done

aptOptions=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
            -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache::Archives=$apt/archives"
            -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=" -o "APT::Sandbox::User=root")

sourceVersions() # source package -> its versions in the lists, newest first
{
    local versions=() version i j swap
    mapfile -t versions < <(apt-cache "${aptOptions[@]}" showsrc "$1" 2>/dev/null \
        | awk -v p="$1" '/^Package:/ { ours = ($2 == p) } ours && /^Version:/ { print $2 }' | sort -u)
    for ((i = 0; i < ${#versions[@]}; ++i)); do
        for ((j = i + 1; j < ${#versions[@]}; ++j)); do
            if dpkg --compare-versions "${versions[j]}" gt "${versions[i]}"; then
                swap="${versions[i]}"; versions[i]="${versions[j]}"; versions[j]="$swap"
            fi
        done
    done
    for version in "${versions[@]}"; do echo "$version"; done
}

prefixFor() # png version, jpeg version
{
    local key="${localKey}_png-$1_jpeg-$2"
    echo "$cache/windows-deps/${key//[^A-Za-z0-9._+-]/_}"
}

useCached()
{
    log "cached: $1"
    echo "$1"
    exit 0
}

# Debian's release lists a few versions of each source package, and the newest (with security
# fixes) are not on every mirror: the newest pair built before is used; otherwise the newest
# versions that can be fetched are built. Without the network, any earlier build with the same
# compiler, zlib, GoogleTest and recipe will do.
if ! apt-get "${aptOptions[@]}" -qq update >/dev/null 2>&1; then
    found="$(ls -1d "$(prefixFor x x | sed 's/_png-x_jpeg-x$//')"_png-*/.complete 2>/dev/null | tail -1)"
    [ -n "$found" ] || { log "cannot fetch the source package lists, and nothing is cached"; exit 1; }
    useCached "$(dirname "$found")"
fi

mapfile -t pngVersions < <(sourceVersions libpng1.6)
mapfile -t jpegVersions < <(sourceVersions libjpeg-turbo)
[ ${#pngVersions[@]} -gt 0 ] && [ ${#jpegVersions[@]} -gt 0 ] \
    || { log "no libpng1.6 or libjpeg-turbo source package listed"; exit 1; }

for pngVersion in "${pngVersions[@]}"; do
    for jpegVersion in "${jpegVersions[@]}"; do
        if [ -f "$(prefixFor "$pngVersion" "$jpegVersion")/.complete" ]; then
            useCached "$(prefixFor "$pngVersion" "$jpegVersion")"
        fi
    done
done

work="$(mktemp -d "$cache/windows-deps/.work.XXXXXX")"
trap 'rm -rf "$work"' EXIT

fetchSource() # source package, versions newest first -> sets fetched (its folder) and fetchedVersion
{
    local package="$1" version
    shift
    for version in "$@"; do
        rm -rf "$work/src-$package"
        mkdir -p "$work/src-$package"
        if (cd "$work/src-$package" && apt-get "${aptOptions[@]}" -qq source "$package=$version" >/dev/null 2>&1); then
            fetched="$(find "$work/src-$package" -mindepth 1 -maxdepth 1 -type d -print -quit)"
            fetchedVersion="$version"
            return 0
        fi
        log "$package $version cannot be fetched, trying an older version"
    done
    log "$package: no version could be fetched"
    exit 1
}

fetchSource libpng1.6 "${pngVersions[@]}"
pngTree="$fetched"
pngVersion="$fetchedVersion"
fetchSource libjpeg-turbo "${jpegVersions[@]}"
jpegTree="$fetched"
jpegVersion="$fetchedVersion"

prefix="$(prefixFor "$pngVersion" "$jpegVersion")"
rm -rf "$prefix"

# The builds' output goes to a log that is shown only when a step fails.
quietly()
{
    "$@" >>"$work/build.log" 2>&1 || { tail -n 60 "$work/build.log" >&2; log "failed: $*"; exit 1; }
}

crossBuild() # source folder, build folder, cmake options...
{
    local source="$1" build="$2"
    shift 2
    quietly cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_C_COMPILER_LAUNCHER= -DCMAKE_CXX_COMPILER_LAUNCHER= "$@"
    quietly cmake --build "$build" -j "$jobs"
    quietly cmake --install "$build"
}

# --- libpng ------------------------------------------------------------------------------------
log "libpng $pngVersion"
crossBuild "$pngTree" "$work/build-png" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_EXECUTABLES=ON -DSKIP_INSTALL_FILES=ON

# --- libjpeg-turbo -----------------------------------------------------------------------------
log "libjpeg-turbo $jpegVersion"
crossBuild "$jpegTree" "$work/build-jpeg" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DCMAKE_INSTALL_DOCDIR="$work/unused" -DCMAKE_INSTALL_MANDIR="$work/unused"

# JUCE's JPEG loader includes the library's internal header too.
install -m 644 "$jpegTree/jpegint.h" "$prefix/include/jpegint.h"

# JUCE includes jpeglib.h inside a namespace of its own; <rpcndr.h> defines `boolean` at global
# scope only, so the namespace needs the library's own typedef as well.
sed -i 's|^#ifndef __RPCNDR_H__|#if !defined(__RPCNDR_H__) \|\| defined(__cplusplus)|' "$prefix/include/jconfig.h"
grep -q 'defined(__cplusplus)' "$prefix/include/jconfig.h" || { log "jconfig.h: guard not found"; exit 1; }

# --- GoogleTest --------------------------------------------------------------------------------
log "GoogleTest $gtestVersion"
crossBuild /usr/src/googletest "$work/build-gtest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON

touch "$prefix/.complete"
log "built: $prefix"
echo "$prefix"
