#!/usr/bin/env bash
# Checks that every C++ file of the project is laid out as .clang-format says:
# prints the files clang-format would change and exits 1 if there is one, or
# exits 77 (the tests' "skipped") when clang-format is not installed.
set -u
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-$(command -v clang-format || command -v clang-format-14 || true)}
if [ -z "$format" ]; then
    echo "clang-format not found: the layout is not checked"
    exit 77
fi
# One clang-format for all the files: it names each line it would change.
find src tests tools bench -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.h.in' \) -print0 |
    xargs -0 "$format" --dry-run --Werror 2>&1 | grep -E 'error:' | sed -E 's/:[0-9]+:[0-9]+: error:.*//' |
    sort -u | sed 's/^/not laid out as .clang-format says: /' | grep . && {
    echo "Run clang-format -i on the files above."
    exit 1
}
exit 0
