#!/usr/bin/env bash
# Runs one Windows program (32-bit or 64-bit) with the trixie chroot's Wine, for
# CTest, inside a session of tools/wine32-session.sh: its display, its
# wineserver and the build's prefix (KV_WINEPREFIX, set by the test).
# As in tools/wine-run.sh, the output goes to a file first: Wine's service
# processes inherit it, and a pipe held open by them would stall CTest.
set -u
root="${KV_WIN32_ROOT:-/opt/trixie}"
prefix="${KV_WINEPREFIX:?KV_WINEPREFIX must name the Wine prefix of the build}"
display="${KV_WINE32_DISPLAY:?run through tools/wine32-session.sh}"
[ $# -gt 0 ] || { echo "usage: $0 PROGRAM.exe [arguments...]" >&2; exit 2; }
# The loader for the program's machine: the 32-bit one runs under qemu-i386.
pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
machine=$(od -An -tx2 -j$((${pe:-0} + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
loader=/usr/lib/wine/wine
[ "$machine" = 8664 ] && loader=/usr/lib/wine/wine64
cwd=$PWD
[ -d "$root$cwd" ] || cwd=/
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
# The test's own settings travel; the rest of this environment means nothing inside.
pass=()
while IFS= read -r v; do pass+=("$v"); done < <(env | grep -E '^(GTEST|KV)_[A-Za-z0-9_]*=' || true)
out=$(mktemp)
"${sudo_cmd[@]}" chroot "$root" env -i -C "$cwd" PATH=/usr/bin:/bin HOME=/root WINEPREFIX="$prefix" \
  WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" DISPLAY="$display" \
  "${pass[@]}" "$loader" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
