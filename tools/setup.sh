#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine:
# the MinGW-w64 cross compilers, Wine 64-bit, Xvfb, CMake/Ninja, GoogleTest,
# zlib for MinGW and the libpng sources (built by CMake for both Windows targets),
# and the MIDI files and the independent MIDI library the host's tests read
# (openttd-openmsx, python3-mido), and clang with its libFuzzer runtime for
# the fuzz targets.
# Idempotent and quiet when everything is already present.
# Usage: tools/setup.sh [--win32-route]
#   --win32-route also sets up the route that runs the 32-bit tests
#   (tools/setup-win32-route.sh); building and the 64-bit runs do not need it.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  googletest libgtest-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  libz-mingw-w64-dev
  wine64 wine
  xvfb xauth
  dpkg-dev
  openttd-openmsx python3-mido
  clang libclang-rt-14-dev
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# libpng has no MinGW package: fetch Debian's source package once and keep it
# outside the build trees so that rebuilds never download again.
src_cache="${KV_SRC_CACHE:-$HOME/.cache/pianoroll-src}"
libpng_dir="$src_cache/libpng"
if [ ! -f "$libpng_dir/CMakeLists.txt" ]; then
  echo "setup: fetching libpng sources"
  if ! grep -rqs -E '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list.d/ /etc/apt/sources.list 2>/dev/null; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/pianoroll-deb-src.sources >/dev/null
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list \
        | "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/pianoroll-deb-src.list >/dev/null
    fi
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  ok=0
  for v in $(apt-cache showsrc libpng1.6 | sed -n 's/^Version: //p' | sort -rV | uniq); do
    if (cd "$work" && apt-get source -qq --download-only "libpng1.6=$v" >/dev/null 2>&1); then
      ok=1; break
    fi
    rm -rf "${work:?}"/*
  done
  [ "$ok" = 1 ] || { echo "setup: could not download the libpng source package" >&2; exit 1; }
  orig=$(ls "$work"/libpng1.6_*.orig.tar.* | head -n 1)
  mkdir -p "$libpng_dir.tmp"
  tar -xf "$orig" -C "$libpng_dir.tmp" --strip-components=1
  rm -rf "$libpng_dir"
  mv "$libpng_dir.tmp" "$libpng_dir"
fi

if [ "${1:-}" = "--win32-route" ]; then
  "$(dirname "$0")/setup-win32-route.sh"
fi
