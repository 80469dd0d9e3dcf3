#!/bin/bash
# Runs each "name|command" suite, keeps its log under build/logs, and prints one
# summary line per build and a total. Fails when any suite fails or runs no test; a
# suite that prints "skipped: why" (this machine cannot run it) is listed as skipped.
set -uo pipefail
mkdir -p build/logs
total_pass=0 total_fail=0 status=0
summary=()
for entry in "$@"; do
  name=${entry%%|*} cmd=${entry#*|}
  log=build/logs/$name.log
  bash -c "$cmd" >"$log" 2>&1
  rc=$?
  # A suite this machine cannot run says why; it is neither passed nor failed.
  if [ "$rc" -eq 0 ] && skipped=$(grep -m1 '^skipped: ' "$log"); then
    summary+=("$(printf '%-11s %s' "$name:" "$skipped")")
    continue
  fi
  if grep -q '^\[==========\] .* ran\.' "$log"; then
    pass=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
    fail=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$log" | tail -1)
  else
    pass=$(sed -n 's/^passed \([0-9]*\), failed \([0-9]*\)$/\1/p' "$log" | tail -1)
    fail=$(sed -n 's/^passed \([0-9]*\), failed \([0-9]*\)$/\2/p' "$log" | tail -1)
  fi
  pass=${pass:-0} fail=${fail:-0}
  if [ "$rc" -ne 0 ] && [ "$fail" -eq 0 ]; then fail=1; fi   # a crash counts as a failure
  if [ "$rc" -ne 0 ] || [ "$fail" -ne 0 ] || [ "$pass" -eq 0 ]; then
    status=1
    echo "---- $name failed (exit $rc), log $log:"
    tail -n 40 "$log"
  fi
  summary+=("$(printf '%-11s %4d passed, %d failed' "$name:" "$pass" "$fail")")
  total_pass=$((total_pass + pass)) total_fail=$((total_fail + fail))
done
printf '%s\n' "${summary[@]}"
printf '%-11s %4d passed, %d failed\n' "total:" "$total_pass" "$total_fail"
exit $status
