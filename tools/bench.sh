#!/usr/bin/env bash
# Builds the win64 configuration and runs the benchmarks under Wine, printing
# their figures. Usage: tools/bench.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
"$top/tools/build.sh" win64 -- tools/bench/event_store_bench.exe tools/bench/roll_paint_bench.exe
dir="$build_root/win64"
for bench in event_store_bench roll_paint_bench; do
  "$top/tools/wine-session.sh" "$dir" \
    env KV_WINEPREFIX="$dir/wineprefix" "$top/tools/wine-run.sh" "$dir/tools/bench/$bench.exe"
done
