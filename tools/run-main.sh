#!/usr/bin/env bash
# Sets up the machine, builds the plug-in for 32-bit and 64-bit Windows and runs
# the reference host's self-check against the 64-bit build under Wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
"$top/tools/setup.sh"
# The 32-bit test programs are built and run by tools/test-all.sh, on the route
# it sets up: here the 32-bit build is the DLL alone.
"$top/tools/build.sh" win32 -- pianoroll
"$top/tools/build.sh" win64
echo "built: $build_root/win32/shell/pianoroll.dll (shipped, 32-bit)"
echo "built: $build_root/win64/shell/pianoroll.dll"
"$top/tools/wine-session.sh" "$build_root/win64" \
  env KV_WINEPREFIX="$build_root/win64/wineprefix" "$top/tools/wine-run.sh" "$build_root/win64/host/refhost_selfcheck.exe"
