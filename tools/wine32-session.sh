#!/usr/bin/env bash
# Runs a command with a session for 32-bit Windows programs: the trixie chroot's
# Wine (tools/setup-win32-route.sh), the build directory bind-mounted at its own
# path inside the chroot, one Xvfb display inside it, and one persistent
# wineserver on the build's own prefix (a win64 prefix, so 32-bit and 64-bit
# programs share it). tools/wine32-run.sh runs programs in the session.
# Usage: tools/wine32-session.sh BUILD_DIR [PEER_BUILD_DIR...] -- command...
#   PEER_BUILD_DIRs are mounted as well, for programs of other builds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root="${KV_WIN32_ROOT:-/opt/trixie}"
if [ "$(id -u)" -ne 0 ]; then exec sudo env KV_WIN32_ROOT="$root" PATH="$PATH" "$0" "$@"; fi

dirs=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do dirs+=("$(cd "$1" && pwd)"); shift; done
[ "${1:-}" = "--" ] && shift
[ ${#dirs[@]} -gt 0 ] && [ $# -gt 0 ] || { echo "usage: $0 BUILD_DIR [PEER_BUILD_DIR...] -- command..." >&2; exit 2; }
dir=${dirs[0]}

"$top/tools/setup-win32-route.sh"

made=()
xvfb=
export KV_WIN32_ROOT="$root" KV_WINEPREFIX="$dir/wineprefix"
in_root() {
  chroot "$root" env -i PATH=/usr/bin:/bin HOME=/root WINEPREFIX="$KV_WINEPREFIX" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" DISPLAY="${KV_WINE32_DISPLAY:-}" "$@"
}
finish() {
  set +e
  in_root wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  local i
  for ((i = ${#made[@]} - 1; i >= 0; i--)); do umount "${made[i]}" || umount -l "${made[i]}"; done
}
trap finish EXIT

# The directories appear at their own paths, so the paths CTest and the
# programs use mean the same inside.
for d in "${dirs[@]}"; do
  if ! mountpoint -q "$root$d"; then
    mkdir -p "$root$d"
    mount --bind "$d" "$root$d"
    made+=("$root$d")
  fi
done

# Xvfb picks a free display itself: the chroot has its own /tmp, so lock files
# of displays outside it are not visible there.
display_file=$(mktemp)
chroot "$root" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -ac \
  3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$display_file" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
n=$(tr -dc 0-9 <"$display_file")
rm -f "$display_file"
[ -n "$n" ] || { echo "wine32-session: Xvfb did not start" >&2; exit 1; }
export KV_WINE32_DISPLAY=":$n"

in_root wineserver -p >/dev/null 2>&1 || true
if [ ! -f "$KV_WINEPREFIX/system.reg" ]; then
  echo "wine32-session: creating the Wine prefix $KV_WINEPREFIX"
  in_root wine wineboot -i >/dev/null 2>&1 </dev/null || true
  # A crashing program must end, not wait in a debugger, in either view.
  for view in 32 64; do
    in_root wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /t REG_SZ /d '' /f /reg:$view >/dev/null 2>&1 </dev/null || true
  done
fi
"$@"
