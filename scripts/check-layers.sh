#!/usr/bin/env bash
# Checks the layering of src/: the core includes no Qt and nothing above it, the
# CLI nothing of the window, and only src/core/platform calls the OS directly.
# Prints each offending line and exits 1 if there is one.
set -u
cd "$(dirname "$0")/.."
status=0
offend() {
    [ -n "$2" ] || return 0
    echo "$1:"
    echo "$2"
    status=1
}
offend "Qt or window code included by src/core or src/cli" \
    "$(grep -rnE '#include (<Q|"(ui|app|dialogs)/)' src/core src/cli)"
offend "src/core including the CLI" "$(grep -rnE '#include ["<]CLI/' src/core)"
offend "OS calls outside src/core/platform" \
    "$(grep -rnE '(^|[^:.>\w])(::)?(getenv|secure_getenv|readlink|readdir|opendir|getdents64|statx|fstatat|lstat|posix_fallocate|fdatasync|renameat2?|unlinkat)\s*\(' \
        src --include='*.cpp' --include='*.h' | grep -v '^src/core/platform/')"
exit $status
