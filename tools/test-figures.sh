#!/usr/bin/env bash
# Prints one line of figures from a build's last CTest run: GoogleTest cases
# run, passed and failed over all programs, and the cross-size checks.
# Usage: tools/test-figures.sh BUILD_DIR LABEL
set -euo pipefail
log="$1/Testing/Temporary/LastTest.log"
[ -f "$log" ] || { echo "$2: no test log in $1"; exit 0; }
awk -v label="$2" '
  /^\[==========\] [0-9]+ tests? from .* ran\./ { programs++; ran += $2 }
  /^\[  PASSED  \] [0-9]+ tests?\./ { passed += $4 }
  /^\[  FAILED  \] [0-9]+ tests?, listed below/ { failed += $4 }
  /^ok: / { checks++ }
  /^FAILED: / { badChecks++ }
  END {
    line = sprintf("%s: %d GoogleTest cases in %d programs, %d passed, %d failed", label, ran, programs, passed, failed)
    if (checks + badChecks) line = line sprintf("; cross-size checks %d passed, %d failed", checks, badChecks)
    print line
  }' "$log"
