#!/usr/bin/env bash
# Runs the validator against the 64-bit plug-in under Wine inside Xvfb:
# registers the DLL in the build's prefix and checks it at a level (1-10)
# with a seed. A failure prints the seed that reproduces it.
# Usage: tools/validate.sh [LEVEL [SEED]] [BUILD_DIR]   (default: 10, 1, build/win64)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
level="${1:-10}" seed="${2:-1}"
dir=$(cd "${3:-$top/build/win64}" && pwd)
if [ -z "${KV_IN_SESSION:-}" ]; then
  exec env KV_IN_SESSION=1 "$top/tools/wine-session.sh" "$dir" "$0" "$level" "$seed" "$dir"
fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT
/usr/lib/wine/wine64 regsvr32 /s "Z:${dir//\//\\}\\shell\\pianoroll.dll"
rc=0
WINEDLLOVERRIDES="winealsa.drv=d;mscoree,mshtml=" /usr/lib/wine/wine64 "$dir/host/pianoroll-validate.exe" \
  --level "$level" --seed "$seed" >"$out" 2>&1 || rc=$?
grep -v '^ALSA' "$out" || true
exit $rc
