#!/usr/bin/env bash
# Sets up the machine, builds all three configurations and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
"$top/tools/setup.sh"
"$top/tools/build.sh" native win64 win32
echo "== native tests (AddressSanitizer, UBSan)"
ctest --test-dir "$build_root/native" --output-on-failure
echo "== win64 tests (Wine, Xvfb)"
"$top/tools/wine-session.sh" "$build_root/win64" ctest --test-dir "$build_root/win64" --output-on-failure
echo "== win32: $(ls "$build_root/win32/shell/pianoroll.dll") built, exports and record layouts checked"
