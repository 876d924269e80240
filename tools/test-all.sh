#!/usr/bin/env bash
# Sets up the machine, builds all three configurations and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
"$top/tools/setup.sh" --win32-route
"$top/tools/build.sh" native win64 win32
echo "== native tests (AddressSanitizer, UBSan)"
ctest --test-dir "$build_root/native" --output-on-failure
echo "== fuzz targets, a short bounded run each (clang, libFuzzer; tools/fuzz.sh runs them longer)"
"$top/tools/fuzz.sh" --runs 20000
echo "== win64 tests (Wine, Xvfb)"
"$top/tools/wine-session.sh" "$build_root/win64" ctest --test-dir "$build_root/win64" --output-on-failure
echo "== the validator at level 4 (tools/validate.sh 10 runs the highest level)"
"$top/tools/validate.sh" 4 1 "$build_root/win64"
echo "== the host application with real MIDI files (Wine, Xvfb, mido)"
"$top/tools/host-file-tests.sh" "$build_root/win64"
echo "== win32 tests (trixie chroot's Wine, 32-bit code under qemu-i386) and the cross-size checks"
started=$SECONDS
"$top/tools/wine32-session.sh" "$build_root/win32" "$build_root/win64" -- \
  ctest --test-dir "$build_root/win32" --output-on-failure
"$top/tools/test-figures.sh" "$build_root/win64" win64
"$top/tools/test-figures.sh" "$build_root/win32" "win32 ($((SECONDS - started)) s)"
