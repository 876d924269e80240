#!/usr/bin/env bash
# Runs a command with a prepared Wine prefix for a win64 build directory, a
# persistent wineserver and an Xvfb display. Usage: wine-session.sh BUILD_DIR command...
# Everything Wine starts (wineboot, the desktop process) must see the display,
# so the script first re-runs itself inside xvfb-run.
set -euo pipefail
dir=$(cd "$1" && pwd)
if [ -z "${KV_IN_XVFB:-}" ]; then
  exec env KV_IN_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
shift
export WINEPREFIX="$dir/wineprefix" KV_WINEPREFIX="$dir/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wineserver -p >/dev/null 2>&1 || true
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  # A crashing test must end, not wait in an interactive debugger.
  /usr/lib/wine/wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1 || true
fi
"$@"
