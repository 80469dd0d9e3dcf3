#!/bin/bash
# Runs suites again and again with every core kept busy, to show they do not depend on
# a quiet machine. Usage: busy_runs.sh RUNS COMMAND...   (e.g. 20 build/native/ferrule_render_tests)
# One busy loop per core runs beside the suite; the first failing run's log is printed.
set -uo pipefail
runs=${1:?usage: busy_runs.sh RUNS COMMAND...}; shift
[ $# -gt 0 ] || { echo "usage: busy_runs.sh RUNS COMMAND..." >&2; exit 2; }
burners=()
trap 'kill "${burners[@]}" 2>/dev/null' EXIT
for _ in $(seq "$(nproc)"); do yes >/dev/null & burners+=($!); done
log=$(mktemp)
passed=0
for i in $(seq "$runs"); do
  start=$(date +%s)
  if "$@" >"$log" 2>&1; then
    passed=$((passed + 1))
    echo "run $i: passed in $(( $(date +%s) - start )) s, load $(cut -d' ' -f1 /proc/loadavg)"
  else
    echo "run $i: FAILED after $(( $(date +%s) - start )) s; its log:"
    cat "$log"
    break
  fi
done
rm -f "$log"
echo "passed $passed of $runs runs"
[ "$passed" -eq "$runs" ]
