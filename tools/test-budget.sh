#!/usr/bin/env bash
# Prints the size of the test suite against the code it tests: non-blank lines of *.cpp and *.h under
# tests/ (fixtures, support and benchmarks included) and elsewhere (build/, dist/, gallery/ and .git left
# out). The rule is at most 33 %; this only reports, it never fails a run.
cd "$(dirname "$0")/.."
count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -exec grep -Hc '[^[:space:]]' {} + | awk -F: '{ n += $NF } END { print n + 0 }'
}
tests=$(count tests)
code=$(count . -path ./tests -prune -o -path ./build -prune -o -path ./dist -prune -o -path ./gallery -prune \
    -o -path ./.git -prune -o)
awk -v t="$tests" -v c="$code" 'BEGIN {
    printf "test budget: %d non-blank lines of tests against %d of code = %.1f %% (at most 33 %%)\n", t, c, c ? 100 * t / c : 0
}'
