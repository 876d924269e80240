#!/usr/bin/env bash
# Runs a command with a prepared Wine prefix for the win64 build directory and a
# persistent wineserver, inside one Xvfb display. Usage: wine-session.sh BUILD_DIR command...
set -euo pipefail
dir=$(cd "$1" && pwd); shift
export WINEPREFIX="$dir/wineprefix" KV_WINEPREFIX="$dir/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  # A crashing test must end, not wait in an interactive debugger.
  /usr/lib/wine/wine64 reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
    /v Debugger /t REG_SZ /d '' /f >/dev/null 2>&1 || true
fi
/usr/lib/wine/wineserver -p >/dev/null 2>&1 || true
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
