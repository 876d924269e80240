#!/usr/bin/env bash
# The host application with real MIDI files, run under Wine inside Xvfb:
# - every openmsx file and the demo song open and save through File > Save As,
#   the independent library mido reads each written file with the same notes,
#   tempos and meta events as its source, and opening the written file and
#   saving it again gives the same bytes;
# - damaged files are refused with a message naming the problem and where it
#   lies, and nothing is written;
# - the plug-in's settings travel inside the file: a changed setting comes back
#   through the plug-in and out again;
# - --screenshot writes a PNG.
# Usage: tools/host-file-tests.sh [BUILD_DIR]   (default build/win64)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$(cd "${1:-$top/build/win64}" && pwd)
if [ -z "${KV_IN_SESSION:-}" ]; then
  exec env KV_IN_SESSION=1 "$top/tools/wine-session.sh" "$dir" "$0" "$dir"
fi
exe="$dir/host/pianoroll-host.exe"
py=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { echo "Z:${1//\//\\}"; }
# No sound driver: the runs are quicker and need no device.
host() { WINEDLLOVERRIDES="winealsa.drv=d;mscoree,mshtml=" /usr/lib/wine/wine64 "$exe" "$@" >"$work/out.txt" 2>&1; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

/usr/lib/wine/wine64 regsvr32 /s "$(win "$dir/shell/pianoroll.dll")"

mkdir -p "$work/first" "$work/second"
sources=(/usr/share/games/openttd/baseset/openmsx/*.mid "$top/host/app/demo-song.mid")
pairs=()
for source in "${sources[@]}"; do
  name=$(basename "$source")
  if ! host "$(win "$source")" --save-as "$(win "$work/first/$name")"; then fail "saving $name: $(cat "$work/out.txt")"; continue; fi
  if ! host "$(win "$work/first/$name")" --save-as "$(win "$work/second/$name")"; then fail "re-saving $name"; continue; fi
  cmp -s "$work/first/$name" "$work/second/$name" || fail "$name saved again is not the same file"
  pairs+=("$source" "$work/first/$name")
done
echo "saved and saved again: ${#pairs[@]} / $((${#sources[@]} * 2)) files"
"$py" "$top/tools/mido_compare.py" "${pairs[@]}" >"$work/mido.txt" || fail "mido: $(grep -v 'same notes' "$work/mido.txt")"
echo "mido: $(grep -c 'same notes' "$work/mido.txt") files read back the same"

mkdir -p "$work/damaged"
for damaged in $("$py" "$top/tools/host_file_checks.py" damage "$work/damaged"); do
  if host "$(win "$damaged")" --save-as "$(win "$work/damaged/out.mid")"; then
    fail "$(basename "$damaged") was accepted"
  elif ! grep -q "cannot open" "$work/out.txt"; then
    fail "$(basename "$damaged") gave no message"
  else
    echo "refused $(basename "$damaged"): $(grep 'cannot open' "$work/out.txt" | sed 's/.*: //')"
  fi
  [ ! -e "$work/damaged/out.mid" ] || fail "a file was written for $(basename "$damaged")"
done

# Snapping off (settings block offset 4, behind the 12-byte header) survives a
# round through the plug-in.
demo="$work/first/demo-song.mid"
"$py" "$top/tools/host_file_checks.py" settings-set "$demo" "$work/snap-off.mid" 16 0 || fail "no settings in the saved file"
host "$(win "$work/snap-off.mid")" --save-as "$(win "$work/snap-off-saved.mid")" || fail "saving snap-off.mid"
[ "$("$py" "$top/tools/host_file_checks.py" settings "$work/snap-off.mid")" = \
  "$("$py" "$top/tools/host_file_checks.py" settings "$work/snap-off-saved.mid")" ] || fail "the settings did not come back"

host "$(win "$top/host/app/demo-song.mid")" --screenshot "$(win "$work/shot.png")" --select-track 2 || fail "screenshot"
[ "$(head -c 8 "$work/shot.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "the screenshot is not a PNG"

if [ "$failures" -ne 0 ]; then echo "host file tests: $failures failed"; exit 1; fi
echo "host file tests: all passed"
