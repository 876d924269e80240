#!/usr/bin/env bash
# Screenshot of a track view test window: builds the win64 tv_screenshot
# program, runs it under Wine inside Xvfb and leaves a 24-bit BMP showing the
# time ruler, the loop bar with an active loop region, the scroll-and-zoom
# controls, the grid lines and the playback line of the tests' client.
#
# Usage: tools/tv-screenshot.sh [OUTPUT.bmp] [WIDTH HEIGHT]
#   OUTPUT defaults to $KV_BUILD_ROOT/tv-screenshot.bmp, the size to 800 x 400.
#   KV_BUILD_ROOT selects the build root (default: build/ in the repository).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
out="${1:-$build_root/tv-screenshot.bmp}"
shift || true
size=("$@")

KV_BUILD_ROOT="$build_root" "$top/tools/build.sh" win64 -- tv_screenshot >/dev/null
dir="$build_root/win64"
mkdir -p "$(dirname "$out")"
abs="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
"$top/tools/wine-session.sh" "$dir" "$top/tools/wine-run.sh" "$dir/tests/tv_screenshot.exe" \
  "Z:${abs//\//\\}" "${size[@]}"
