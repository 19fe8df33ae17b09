#!/usr/bin/env bash
# Checks the layering of src/: the core includes no Qt and nothing above it, the
# CLI nothing of the window, the window logic (src/window) neither a toolkit,
# an OS header nor a front end, and only src/core/platform and the Win32 front
# end (src/gui/win32) include the OS headers. Inside each front end the
# includes form no cycle: in src/gui/qt, app/ (the program) stands on ui/ (the
# dialogs drawn from the templates), never the other way round.
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
# The window's headers are included by their bare names (src/window is an
# include folder of the window's targets), the Qt front end's by its folders.
window_headers=$(find src/window -name '*.h' -printf '%f\n' | sed 's/\./\\./g' | paste -sd'|')
offend "Qt or window code included by src/core or src/cli" \
    "$(grep -rnE "#include (<Q|\"(ui|app|gui|qt|win32)/|\"(${window_headers:-none})\")" src/core src/cli)"
offend "src/core including the CLI" "$(grep -rnE '#include ["<]CLI/' src/core)"
# The window's behaviour exists once, for every front end: no toolkit, no
# Windows header and no header of src/gui under src/window.
gui_headers=$(find src/gui -name '*.h' -printf '%f\n' | sed 's/\./\\./g' | paste -sd'|')
offend "Qt, Windows or a front end included by src/window" \
    "$(grep -rnE "#include (<Q|<(windows|winbase|winuser|commctrl|commdlg|shellapi|shlobj|shobjidl|objbase)\.h>|[\"<](gui|ui|app|qt|win32)/|\"([^\"]*/)?(${gui_headers:-none})\")" src/window)"
# The OS's own headers, POSIX and Windows alike, are included under
# src/core/platform only, and the Windows ones by the Win32 front end; what
# the rest needs of the OS comes through the platform layer's headers.
offend "OS headers included outside src/core/platform" \
    "$(grep -rnE '#include <(unistd|fcntl|dirent|pwd|grp|signal|termios|windows|winbase|io|direct|shlobj|sys/[a-z_/]+|linux/[a-z_/]+)\.h>' \
        src --include='*.cpp' --include='*.h' | grep -v '^src/core/platform/' |
        grep -vE '^src/gui/win32/[^:]+:[0-9]+:#include <(windows|shlobj)\.h>')"
# The platform layer's shared headers speak the program's terms: no POSIX or
# Windows type, and no OS header, in a header that both platforms compile;
# what one platform alone needs lives in its posix/ or win32/ folder.
offend "OS types in a shared header of src/core/platform" \
    "$(grep -nE '\b(off_t|mode_t|ssize_t|pid_t|uid_t|struct stat|int fd|HANDLE|DWORD)\b|#include <(unistd|fcntl|dirent|windows|sys/[a-z_/]+)\.h>' \
        src/core/platform/*.h src/core/platform/write/*.h)"
# The environment is read through <cstdlib>, which everything may include.
offend "environment read outside src/core/platform" \
    "$(grep -rnE '(^|[^:.>\w])(std::|::)?(secure_)?getenv\s*\(' \
        src --include='*.cpp' --include='*.h' | grep -v '^src/core/platform/')"
# A front end's own files, each header with its sources one node: an include
# cycle among them is a loop for tsort.
include_cycles() {
    local root=$1 file node included
    for file in $(cd "$root" && find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||'); do
        node=${file%.*}
        echo "$node $node"
        grep -hoE '^#include "[^"]+\.h"' "$root/$file" | sed -E 's/^#include "(.*)\.h"/\1/' |
            while read -r included; do
                [ -f "$root/$included.h" ] && [ "$included" != "$node" ] && echo "$node $included"
            done
    done | tsort 2>&1 >/dev/null | sed 's/^tsort: //'
}
offend "include cycles in src/gui/qt" "$(include_cycles src/gui/qt)"
offend "include cycles in src/gui/win32" "$(include_cycles src/gui/win32)"
offend "src/gui/qt/ui including the program in app/" "$(grep -rnE '#include "app/' src/gui/qt/ui)"
exit $status
