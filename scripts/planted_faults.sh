#!/bin/bash
# Plants the faults listed in scripts/planted_faults.txt one at a time, rebuilds, and
# runs the suites fastest first, stopping at the first that fails; then restores the
# source. Shows how many real bugs the suites catch, so that it can be compared before
# and after the suites or the files change.
#
#   scripts/planted_faults.sh [--build DIR] [--win64-build DIR] [--only N[,N-M...]]
#                             [--timeout SECONDS] [--shards N] [--check]
#
# Needs `make native` done first (and `make win64` for the */win32 faults, which run the
# win64 suite under wine). --check only finds each fault's file, without building.
# A fault is named by folder + a text fragment that must occur exactly once among the
# folder's own files (not its subfolders), so that it survives files being moved or
# joined within the folder. Prints one line per fault and `caught N of M`; exits 0.
# --timeout limits each suite (shard) run: a hang counts as caught (default 400 s).
# One run at a time, with nothing else editing the tree or the list: the planted fault
# is in the source every build sees, and the list is read as the run goes. Commit with
# explicit paths while it runs (not `git commit -a`). To run a copy of this script
# while editing it, set PLANTED_FAULTS_ROOT to the checkout.
set -uo pipefail
cd "${PLANTED_FAULTS_ROOT:-$(dirname "$0")/..}"   # set when running a copy of this script
root=$PWD
list=scripts/planted_faults.txt
build=build/native win64_build=build/win64 only="" limit=400 check=0 shards=4
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --win64-build) win64_build=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --timeout) limit=$2; shift 2 ;;
    --shards) shards=$2; shift 2 ;;
    --check) check=1; shift ;;
    *) echo "usage: $0 [--build DIR] [--win64-build DIR] [--only N[,N-M...]] [--timeout S] [--shards N] [--check]" >&2; exit 2 ;;
  esac
done
build=$(realpath -m "$build") win64_build=$(realpath -m "$win64_build")
# As the Makefile sets them, so that compiles hit the cache the builds filled.
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
work=$(mktemp -d /tmp/planted-faults.XXXXXX)
planted="" backup=$work/original

restore() {
  if [ -n "$planted" ]; then
    cp "$backup" "$planted"   # a fresh timestamp: the next build compiles it again
    planted=""
  fi
}
# Long commands run in the background and are waited for, so that a signal is acted on
# at once; these are their ids, ended on the way out.
children=()
stop_children() {
  local pid
  for pid in "${children[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${children[@]}"; do wait "$pid" 2>/dev/null; done
  children=()
}
finish() { stop_children; restore; rm -rf "$work"; }
trap finish EXIT
trap 'echo "interrupted; source restored" >&2; exit 130' INT TERM HUP

# Runs a command (output redirected by the caller) as a waited-for child.
run() {
  "$@" </dev/null &
  children=($!)
  wait $!
  local rc=$?
  children=()
  return $rc
}

# Whether fault N is in the --only list of numbers and ranges (3,7,10-20).
wanted() {
  local part
  for part in ${only//,/ }; do
    if [[ $part == *-* ]]; then
      [ "$1" -ge "${part%-*}" ] && [ "$1" -le "${part#*-}" ] && return 0
    elif [ "$1" -eq "$part" ]; then
      return 0
    fi
  done
  return 1
}

# The one file in FOLDER holding FRAGMENT exactly once, or an error on stderr.
locate() {
  python3 - "$1" "$2" <<'EOF'
import os, sys
folder, frag = sys.argv[1], sys.argv[2]
if not os.path.isdir(folder):
    sys.exit(f"no folder {folder}")
hits = []
for name in sorted(os.listdir(folder)):
    path = os.path.join(folder, name)
    if not os.path.isfile(path):
        continue
    try:
        n = open(path, encoding="utf-8", errors="surrogateescape").read().count(frag)
    except OSError:
        continue
    if n:
        hits.append((path, n))
if not hits:
    sys.exit("fragment not found")
if len(hits) > 1 or hits[0][1] > 1:
    sys.exit("fragment ambiguous: " + ", ".join(f"{p} x{n}" for p, n in hits))
print(hits[0][0])
EOF
}

replace() {
  python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8", errors="surrogateescape").read()
open(path, "w", encoding="utf-8", errors="surrogateescape").write(text.replace(old, new, 1))
EOF
}

# The first failing test in a suite's log, or where it stopped: a hang or a crash.
first_failure() {
  local log=$1 rc=$2 first
  first=$(sed -n 's/^\[  FAILED  \] \([^ ,]*\).*/\1/p' "$log" | head -n 1)   # a parameterised name ends at ','
  if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    first="timeout in $(sed -n 's/^\[ RUN      \] //p' "$log" | tail -n 1)"
  elif [ -z "$first" ]; then
    first="exit $rc in $(sed -n 's/^\[ RUN      \] //p' "$log" | tail -n 1)"
  fi
  echo "$first"
}

# Runs one suite in N parallel shards under a time limit each (the slow tests wait on
# other processes more than they compute); returns 1 when a shard fails, stopping the
# others, with the first failing test in $failed. A hang counts as a failure. A test
# that failed is run once more alone, so that a test which fails only under load is not
# taken for a catch ($failed then says so and the suite passes).
run_suite() {
  local log=$1 n=$2; shift 2
  local -A shard_of=()
  local i pid rc
  failed=""
  for ((i = 0; i < n; i++)); do
    GTEST_TOTAL_SHARDS=$n GTEST_SHARD_INDEX=$i timeout -k 10 "$limit" nice -n 10 "$@" --gtest_fail_fast \
      </dev/null >"$log.$i" 2>&1 &
    shard_of[$!]=$i
  done
  children=("${!shard_of[@]}")
  while [ ${#shard_of[@]} -gt 0 ]; do
    wait -n -p pid "${!shard_of[@]}"
    rc=$?
    i=${shard_of[$pid]}
    unset "shard_of[$pid]"
    if [ $rc -ne 0 ]; then
      failed=$(first_failure "$log.$i" $rc)
      break
    fi
  done
  stop_children
  [ -z "$failed" ] && return 0
  case $failed in
    timeout*|exit*) ;;
    *) if run timeout -k 10 "$limit" nice -n 10 "$@" --gtest_filter="$failed" >"$log.again" 2>&1 &&
          grep -q '^\[  PASSED  \] 1 test\.' "$log.again"; then
         failed="(failed only beside other tests: $failed)"
         return 0
       fi ;;
  esac
  return 1
}

# A loader program of this build left running by a fault (one that no longer sees its
# peer go, say) is ended: nothing else runs this build's copy.
end_strays() {
  local pid
  for pid in $(pgrep -x sondrel); do
    [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$build/sondrel" ] && kill -9 "$pid" 2>/dev/null
  done
}

# Per native suite, the times of the programs it runs: the test program, the library it
# loads and the programs it starts.
stamps() {
  local b=$build
  echo "ferrule_tests $(stat -c %.9Y "$b/ferrule_tests" "$b/libferrule.so" "$b/sondrel" 2>/dev/null | tr '\n' ' ')"
  echo "ferrule_render_tests $(stat -c %.9Y "$b/ferrule_render_tests" "$b/ferrule-render" "$b/libferrule.so" \
    "$b/sondrel" 2>/dev/null | tr '\n' ' ')"
}

total=0 caught=0 missed=0 not_compiled=0 not_applicable=0 number=0
start_all=$(date +%s)
while IFS= read -r -u 3 line || [ -n "$line" ]; do
  case $line in ''|'#'*) continue ;; esac
  number=$((number + 1))
  if [ -n "$only" ] && ! wanted "$number"; then continue; fi
  IFS=$'\t' read -r folder original replacement description <<<"$line"
  total=$((total + 1))
  t0=$(date +%s)
  if ! file=$(locate "$folder" "$original" 2>"$work/locate.err" </dev/null); then
    not_applicable=$((not_applicable + 1))
    printf '%3d  %-22s not-applicable  %s  (%s)\n' "$number" "$folder" "$(cat "$work/locate.err")" "$description"
    continue
  fi
  if [ $check -eq 1 ]; then
    printf '%3d  %-22s found in %s  (%s)\n' "$number" "$folder" "$file" "$description"
    continue
  fi
  windows=0
  case $folder in */win32|*/win32/*) windows=1 ;; esac
  cp "$file" "$backup"
  planted=$file
  replace "$file" "$original" "$replacement"

  if [ $windows -eq 1 ]; then
    tree=$win64_build targets=(ferrule_tests)
  else
    tree=$build targets=(ferrule_tests ferrule_render_tests)
  fi
  before=$(stamps)
  if ! run nice -n 10 ninja -C "$tree" "${targets[@]}" >"$work/build.log" 2>&1; then
    restore
    not_compiled=$((not_compiled + 1))
    err=$(grep -m1 'error' "$work/build.log" | cut -c1-100)
    printf '%3d  %-22s not-compiled    %s  (%s)  %ds\n' "$number" "$folder" "$err" "$description" $(($(date +%s) - t0))
    continue
  fi

  result=missed suite="" failed=""
  if [ $windows -eq 1 ]; then
    # One program under wine at a time: the suite shares one wine prefix.
    FERRULE_WIN64_BUILD=$win64_build run_suite "$work/suite.log" 1 scripts/win64_tests.sh || result=caught suite=win64
    WINEPREFIX=$win64_build/wineprefix /usr/lib/wine/wineserver -k >/dev/null 2>&1
  else
    after=$(stamps)
    for suite_name in ferrule_tests ferrule_render_tests; do
      # A suite none of whose programs changed passes as it did before: not run.
      [ "$(grep "^$suite_name " <<<"$before")" = "$(grep "^$suite_name " <<<"$after")" ] && continue
      if ! GTEST_COLOR=no run_suite "$work/suite.log" "$shards" "$build/$suite_name"; then
        result=caught suite=$suite_name
        break
      fi
    done
  fi
  restore
  end_strays
  if [ $result = caught ]; then
    caught=$((caught + 1))
    printf '%3d  %-22s caught          %s: %s  (%s)  %ds\n' "$number" "$folder" "$suite" "$failed" "$description" $(($(date +%s) - t0))
  else
    missed=$((missed + 1))
    printf '%3d  %-22s missed          %s(%s)  %ds\n' "$number" "$folder" "${failed:+$failed  }" "$description" \
      $(($(date +%s) - t0))
  fi
done 3<"$list"

if [ $check -eq 0 ] && [ $total -gt $not_applicable ]; then
  # Leave the build trees as the restored source has them.
  [ -f "$build/build.ninja" ] && run nice -n 10 ninja -C "$build" ferrule_tests ferrule_render_tests >/dev/null 2>&1
  [ -f "$win64_build/build.ninja" ] && run nice -n 10 ninja -C "$win64_build" ferrule_tests >/dev/null 2>&1
fi
if [ $check -eq 1 ]; then
  echo "found $((total - not_applicable)) of $total"
  exit 0
fi
# Faults that did not build or were not found count apart: they test nothing.
echo "not compiled: $not_compiled, not applicable: $not_applicable, missed: $missed; $(($(date +%s) - start_all))s"
echo "caught $caught of $((total - not_applicable - not_compiled))"
exit 0
