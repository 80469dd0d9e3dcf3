#!/bin/bash
# Lines of tests (tests/ and fuzz/) against lines of the rest of the C++ code, both
# counted without blank lines and comment-only lines. Prints the figure per folder
# and in all; with --check N, exits 1 when the whole is above N percent.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=
[ "${1:-}" = --check ] && limit=${2:?usage: test_ratio.sh [--check PERCENT]}

count() {  # lines of code in the C/C++ files under the given paths
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print0 2>/dev/null |
    xargs -0 -r cat |
    awk '
      { line = $0 }
      incomment { if (line ~ /\*\//) { sub(/.*\*\//, "", line); incomment = 0 } else next }
      { gsub(/^[ \t]+|[ \t]+$/, "", line) }
      line == "" { next }
      line ~ /^\/\// { next }
      line ~ /^\/\*/ { if (line !~ /\*\//) incomment = 1; next }
      { n++ }
      END { print n + 0 }'
}

code_dirs=()
for d in */; do
  d=${d%/}
  case $d in tests|fuzz|build|out|docs|scripts|cmake) continue ;; esac
  code_dirs+=("$d")
done
tests=$(count tests fuzz)
code=$(count "${code_dirs[@]}")
for d in "${code_dirs[@]}"; do printf '%-12s %6d\n' "$d/" "$(count "$d")"; done
printf '%-12s %6d\n' "tests+fuzz" "$tests"
pct=$((100 * tests / code))
printf 'tests are %d%% of the code (%d against %d)\n' "$pct" "$tests" "$code"
[ -z "$limit" ] || [ "$pct" -le "$limit" ]
