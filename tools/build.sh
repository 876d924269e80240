#!/usr/bin/env bash
# Configures (once) and builds the named configurations: win64, win32, native,
# and fuzz (the libFuzzer targets, clang).
# Usage: tools/build.sh [config...] [-- ninja arguments]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
configs=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do configs+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
[ ${#configs[@]} -gt 0 ] || configs=(native win64 win32)

for c in "${configs[@]}"; do
  dir="$build_root/$c"
  case "$c" in
    win64) tc=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake") ;;
    win32) tc=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-i686.cmake") ;;
    native) tc=() ;;
    fuzz) tc=(-DKV_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    *) echo "unknown configuration $c" >&2; exit 2 ;;
  esac
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${tc[@]}" >/dev/null
  fi
  cmake --build "$dir" -- "$@"
done
