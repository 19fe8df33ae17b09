#!/usr/bin/env bash
# Prints the table of docs/survival.md ("What Orvane Zentory survives"): runs
# the hostile tests of the core, of the CLI and (when it is built) of the
# window, offscreen, which record each case and what they observed, and
# prints their rows grouped by the kind of hostile input, the core's and the
# CLI's observations of one case joined in one row. Fails, printing the test
# output, when a test fails.
#   scripts/survival-table.sh [BUILD_DIR]   (default build/dev)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset dev >/dev/null
fi
suites="core_tests cli_tests"
if grep -q '^ZENTORY_BUILD_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
    suites="$suites gui_tests"
fi
# shellcheck disable=SC2086 # one target per word
cmake --build "$build" --target $suites >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for suite in $suites; do
    if ! QT_QPA_PLATFORM=offscreen ZENTORY_SURVIVAL_TABLE="$work/table.md" "$build/tests/$suite" \
        --gtest_filter='*Hostile*' >"$work/log" 2>&1; then
        cat "$work/log" >&2
        echo "survival-table: a hostile test failed; no table" >&2
        exit 1
    fi
done

# The Windows programs' hostile cases, under Wine, where they are built
# (build/windows): their rows go to the same table, through Wine's drive Z:.
windows=$(realpath -m "${ZENTORY_WINDOWS_BUILD:-build/windows}")
if [ -x "$windows/tests/windows/windows_platform_tests.exe" ]; then
    if ! ZENTORY_SURVIVAL_TABLE="Z:${work//\//\\}\\table.md" \
        scripts/wine-run.sh "$windows/wine-prefix" \
        "$windows/tests/windows/windows_platform_tests.exe" --gtest_filter='*Hostile*' \
        >"$work/log" 2>&1; then
        cat "$work/log" >&2
        echo "survival-table: a hostile test of the Windows programs failed; no table" >&2
        exit 1
    fi
fi

# Wine's C runtime ends its rows with CR LF, and names its temporary folders
# by drive: both as the Linux rows have them.
sed -i -E 's/\r$//; s/[A-Za-z]:\\users\\[^\\]+\\Temp\\zentory-test-[0-9-]+/DIR/g' "$work/table.md"

# The head, then the rows of each kind of input together, in the order the
# kinds first appear; the outcomes recorded for one case go into one row.
awk -F' [|] ' 'NR <= 2 { if (NR == 1) head = $0; else rule = $0; next }
    /^[|] Hostile input [|]/ || /^[|]---/ { next }
    { outcome = $3; sub(/ [|]$/, "", outcome); key = $1 " | " $2 }
    !($1 in seen) { seen[$1] = 1; kinds[++n] = $1 }
    !(key in cases) { cases[key] = outcome; order[$1] = order[$1] SUBSEP key; next }
    { cases[key] = cases[key] "; " outcome }
    END {
        print head; print rule
        for (i = 1; i <= n; ++i) {
            m = split(substr(order[kinds[i]], 2), keys, SUBSEP)
            for (j = 1; j <= m; ++j) printf "%s | %s |\n", keys[j], cases[keys[j]]
        }
    }' "$work/table.md"
