#!/usr/bin/env bash
# What leaves a process must not depend on its pointer size: settings streams
# saved by either build load in the other and save back byte for byte, and a
# clipboard block copied by either pastes in the other with the same result.
# Runs the 32-bit and the 64-bit probe in one tools/wine32-session.sh session
# (both build directories mounted), so they share a wineserver and a clipboard.
# Usage: crosssize.sh PROBE32 DLL32 PROBE64 DLL64 OUT_DIR
set -uo pipefail
[ $# -eq 5 ] || { echo "usage: $0 PROBE32 DLL32 PROBE64 DLL64 OUT_DIR" >&2; exit 2; }
declare -A probe=([32]=$1 [64]=$3) dll=([32]=$2 [64]=$4)
out=$5
run="$(cd "$(dirname "$0")/../.." && pwd)/tools/wine32-run.sh"
root="${KV_WIN32_ROOT:-/opt/trixie}"
for f in "$1" "$2" "$3" "$4"; do
  if [ ! -f "$root$f" ]; then
    echo "not visible inside $root: $f"
    echo "build win32 and win64, and run in tools/wine32-session.sh BUILD32 BUILD64 -- ..."
    exit 1
  fi
done
rm -rf "$out" && mkdir -p "$out"
failed=0
step() {  # SIZE MODE ARGUMENTS...: one probe run, which must succeed
  local size=$1
  shift
  if ! "$run" "${probe[$size]}" "$@" >"$out/log" 2>&1; then
    echo "FAILED: $size-bit probe $*"
    cat "$out/log"
    failed=$((failed + 1))
  fi
}
same() {  # WHAT FILE FILE
  if cmp -s "$2" "$3"; then
    echo "ok: $1"
  else
    echo "FAILED: $1: $(basename "$2") and $(basename "$3") differ"
    cmp -l "$2" "$3" 2>&1 | head -n 5
    failed=$((failed + 1))
  fi
}
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# Both DLLs registered in one prefix, each in its own registry view: each
# probe must create the object from its own size's DLL.
for size in 32 64; do
  step $size register "$(windows_path "${dll[$size]}")"
  step $size settings-save "$out/defaults$size"
  if ! grep -qiF "plug-in: $(windows_path "${dll[$size]}")" "$out/log"; then
    echo "FAILED: the $size-bit probe did not load ${dll[$size]}"
    cat "$out/log"
    failed=$((failed + 1))
  fi
done
same "default settings: 32-bit and 64-bit streams" "$out/defaults32" "$out/defaults64"
step 64 settings-load "$out/defaults32" "$out/defaults32-64"
step 32 settings-load "$out/defaults64" "$out/defaults64-32"
same "default settings: 32-bit stream through the 64-bit DLL" "$out/defaults32" "$out/defaults32-64"
same "default settings: 64-bit stream through the 32-bit DLL" "$out/defaults64" "$out/defaults64-32"

# A stream of arbitrary bytes: both DLLs must make the same settings of it
# (a field outside its range goes back to its default), and what each one saves
# must load in the other and save back byte for byte.
step 32 settings-pattern "$out/pattern"
step 32 settings-load "$out/pattern" "$out/pattern-32"
step 64 settings-load "$out/pattern" "$out/pattern-64"
same "changed settings: 32-bit and 64-bit loads of one stream" "$out/pattern-32" "$out/pattern-64"
if cmp -s "$out/defaults32" "$out/pattern-32"; then
  echo "FAILED: changed settings: nothing of the stream was kept"
  failed=$((failed + 1))
fi
step 64 settings-load "$out/pattern-32" "$out/pattern-32-64"
step 32 settings-load "$out/pattern-64" "$out/pattern-64-32"
same "changed settings: 32-bit stream through the 64-bit DLL" "$out/pattern-32" "$out/pattern-32-64"
same "changed settings: 64-bit stream through the 32-bit DLL" "$out/pattern-64" "$out/pattern-64-32"

# Each copier runs a paster of either size while it still owns the clipboard.
# A paste file starts with the block as the paster read it, followed by the
# pasted events: all four pairs must agree, and with the copier's block.
for from in 32 64; do
  step $from clip-copy "$out/copy$from" "$(windows_path "${probe[64]}")" "$out/paste$from-64" \
    "$(windows_path "${probe[32]}")" "$out/paste$from-32"
done
same "clipboard block: 32-bit and 64-bit copies" "$out/copy32" "$out/copy64"
same "clipboard: 32-bit copy pasted in 64-bit and in 32-bit" "$out/paste32-64" "$out/paste32-32"
same "clipboard: 64-bit copy pasted in 32-bit and in 64-bit" "$out/paste64-32" "$out/paste64-64"
same "clipboard: pastes of either copy" "$out/paste32-64" "$out/paste64-32"
if ! cmp -s -n "$(stat -c %s "$out/copy32")" "$out/copy32" "$out/paste32-64"; then
  echo "FAILED: the 64-bit paster read another block than the 32-bit copier wrote"
  failed=$((failed + 1))
fi
[ "$failed" -eq 0 ] && echo "crosssize: all checks passed" || echo "crosssize: $failed failed"
[ "$failed" -eq 0 ]
