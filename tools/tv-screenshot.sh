#!/usr/bin/env bash
# Screenshots for reviews, painted under Wine inside Xvfb:
# - a track view test window (time ruler, loop bar with an active loop region,
#   scroll-and-zoom controls, grid lines, playback line) as a 24-bit BMP;
# - the piano roll over a small song on the reference host (notes in several
#   octaves, some selected, scale snapping on, a time selection) as a PNG;
# - the whole editor page (logo strip, track selector, toolbar, keyboard,
#   notes, velocity lane, transport strip) as the plug-in shows it in a host,
#   as a PNG.
#
# Usage: tools/tv-screenshot.sh [OUTPUT.bmp] [WIDTH HEIGHT]
#   OUTPUT defaults to $KV_BUILD_ROOT/tv-screenshot.bmp, the size to 800 x 400;
#   the piano roll goes to roll-screenshot.png and the page to
#   page-screenshot.png beside it.
#   KV_BUILD_ROOT selects the build root (default: build/ in the repository).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
out="${1:-$build_root/tv-screenshot.bmp}"
shift || true
size=("$@")

KV_BUILD_ROOT="$build_root" "$top/tools/build.sh" win64 -- tv_screenshot roll_screenshot page_screenshot >/dev/null
dir="$build_root/win64"
mkdir -p "$(dirname "$out")"
abs="$(cd "$(dirname "$out")" && pwd)/$(basename "$out")"
roll="$(dirname "$abs")/roll-screenshot.png"
page="$(dirname "$abs")/page-screenshot.png"
"$top/tools/wine-session.sh" "$dir" "$top/tools/wine-run.sh" "$dir/tests/tv_screenshot.exe" \
  "Z:${abs//\//\\}" "${size[@]}"
"$top/tools/wine-session.sh" "$dir" "$top/tools/wine-run.sh" "$dir/tests/roll_screenshot.exe" "Z:${roll//\//\\}"
"$top/tools/wine-session.sh" "$dir" "$top/tools/wine-run.sh" "$dir/tests/page_screenshot.exe" "Z:${page//\//\\}"
echo "$abs"
echo "$roll"
echo "$page"
