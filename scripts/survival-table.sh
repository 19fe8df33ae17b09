#!/usr/bin/env bash
# Prints the README's table "What it survives": runs the hostile tests, which
# record each case and what they observed, and prints their rows grouped by
# the kind of hostile input. Fails, printing the test output, when a test fails.
#   scripts/survival-table.sh [BUILD_DIR]   (default build/dev)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset dev >/dev/null
fi
cmake --build "$build" --target core_tests >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! ZENTORY_SURVIVAL_TABLE="$work/table.md" "$build/tests/core_tests" \
    --gtest_filter='Hostile*' >"$work/log" 2>&1; then
    cat "$work/log" >&2
    echo "survival-table: a hostile test failed; no table" >&2
    exit 1
fi

# The head, then the rows of each kind of input together, in the order the
# kinds first appear.
awk -F' [|] ' 'NR <= 2 { print; next }
    !($1 in seen) { seen[$1] = 1; kinds[++n] = $1 }
    { rows[$1] = rows[$1] $0 "\n" }
    END { for (i = 1; i <= n; ++i) printf "%s", rows[kinds[i]] }' "$work/table.md"
