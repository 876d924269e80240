#!/usr/bin/env bash
# The main job: sets up the machine, builds the plug-in for 32-bit and 64-bit
# Windows and the host application, registers the 64-bit plug-in in the
# build's Wine prefix and opens the demo song in the host. With a display
# ($DISPLAY set) the host's window opens for you to play with; without one
# the host runs inside Xvfb, writes a screenshot of the editor and the path
# is printed.
# Usage: tools/run-main.sh [FILE.mid]   (default: the demo song)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
song=$(cd "$(dirname "${1:-$top/host/app/demo-song.mid}")" && pwd)/$(basename "${1:-demo-song.mid}")
"$top/tools/setup.sh"
# The 32-bit test programs are built and run by tools/test-all.sh, on the route
# it sets up: here the 32-bit build is the DLL alone.
"$top/tools/build.sh" win32 -- pianoroll
"$top/tools/build.sh" win64 -- pianoroll pianoroll-host
dir="$build_root/win64"
echo "built: $build_root/win32/shell/pianoroll.dll (shipped, 32-bit)"
echo "built: $dir/shell/pianoroll.dll"
echo "built: $dir/host/pianoroll-host.exe"
win() { echo "Z:${1//\//\\}"; }
export WINEPREFIX="$dir/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "${DISPLAY:-}" ] && [ -z "${KV_SCREENSHOT:-}" ]; then
  [ -f "$WINEPREFIX/system.reg" ] || /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  /usr/lib/wine/wine64 regsvr32 /s "$(win "$dir/shell/pianoroll.dll")"
  exec /usr/lib/wine/wine64 "$dir/host/pianoroll-host.exe" "$(win "$song")"
fi
shot="$build_root/pianoroll-host.png"
"$top/tools/wine-session.sh" "$dir" bash -c '
  /usr/lib/wine/wine64 regsvr32 /s "$1" &&
  /usr/lib/wine/wine64 "$2" "$3" --screenshot "$4" >"$5" 2>&1; rc=$?; grep -v "^ALSA" "$5" || true; exit $rc' \
  run-main "$(win "$dir/shell/pianoroll.dll")" "$dir/host/pianoroll-host.exe" "$(win "$song")" "$(win "$shot")" \
  "$build_root/pianoroll-host.log"
echo "screenshot: $shot"
