#!/usr/bin/env bash
# Runs one cross-built Windows program under Wine 64-bit for CTest.
# The build directory's own prefix is used (KV_WINEPREFIX, set by the test).
# Wine's service processes outlive the program and inherit its output, so the
# output goes to a file first: a pipe held open by them would stall CTest.
set -u
export WINEPREFIX="${KV_WINEPREFIX:?KV_WINEPREFIX must name the Wine prefix of the build}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
out=$(mktemp)
/usr/lib/wine/wine64 "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
