#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, native, AddressSanitizer and UBSan) and
# runs each over its corpus: the seeds in tests/fuzz/corpus/TARGET plus what
# earlier runs found, kept in build/fuzz/corpus/TARGET. Inputs that crash are
# written to build/fuzz/findings/.
# Usage: tools/fuzz.sh [--runs N | --seconds S] [--jobs J] [TARGET...]
#   default: 60 seconds a target, one at a time; CI uses --runs 20000.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build_root="${KV_BUILD_ROOT:-$top/build}"
limit=(-max_total_time=60)
jobs=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) limit=(-runs="$2"); shift 2 ;;
    --seconds) limit=(-max_total_time="$2"); shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(settings clipboard smf number_text printf)
"$top/tools/build.sh" fuzz >/dev/null
dir="$build_root/fuzz"
mkdir -p "$dir/findings"
run() {
  local t=$1 log="$dir/fuzz_$1.log"
  mkdir -p "$dir/corpus/$t"
  # MIDI files are kept small so that a run covers many of them.
  local extra=()
  [ "$t" = smf ] && extra=(-max_len=512)
  if "$dir/tests/fuzz/fuzz_$t" "${limit[@]}" "${extra[@]}" -print_final_stats=1 \
      -artifact_prefix="$dir/findings/$t-" "$dir/corpus/$t" "$top/tests/fuzz/corpus/$t" >"$log" 2>&1; then
    echo "fuzz_$t: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") executions, no finding"
  else
    echo "fuzz_$t: FINDING (see $log and $dir/findings/)"
    return 1
  fi
}
failed=0
running=0
for t in "${targets[@]}"; do
  run "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n || failed=1; running=$((running - 1)); fi
done
while [ "$running" -gt 0 ]; do wait -n || failed=1; running=$((running - 1)); done
exit $failed
