#!/usr/bin/env bash
# Checks the layering of src/: the core includes no Qt and nothing above it, the
# CLI nothing of the window, the window logic (src/window) neither a toolkit,
# an OS header nor a front end, and only src/core/platform and the Win32 front
# end (src/gui/win32) include the OS headers.
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
# The environment is read through <cstdlib>, which everything may include.
offend "environment read outside src/core/platform" \
    "$(grep -rnE '(^|[^:.>\w])(std::|::)?(secure_)?getenv\s*\(' \
        src --include='*.cpp' --include='*.h' | grep -v '^src/core/platform/')"
exit $status
