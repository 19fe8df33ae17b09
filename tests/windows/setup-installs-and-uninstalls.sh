#!/usr/bin/env bash
# The setup program installs for the current user without questions (/S) and
# its uninstaller takes everything away again but the user's settings:
# the files in %LOCALAPPDATA%\Programs\Orvane Zentory, the Start menu entry,
# the Apps & features entry and (with the window) the Explorer entry on
# folders. In between, the installed CLI lists a folder, and reads the user's
# own settings from %APPDATA%\Orvane\Zentory although its folder is writable.
# Usage: setup-installs-and-uninstalls.sh SETUP WINE_PREFIX RUNNER WITH_WINDOW
set -euo pipefail
setup=$1 prefix=$2 runner=$3 with_window=$4

run() { "$runner" "$prefix" "$@" </dev/null; }
# A folder Windows names by an environment variable, as a Linux path.
linux_path() {
    local win
    win=$(run cmd /c "echo %$1%" | tr -d '\r')
    win=${win#[Cc]:\\}
    printf '%s/drive_c/%s' "$prefix" "${win//\\//}"
}
local_app=$(linux_path LOCALAPPDATA)
app_data=$(linux_path APPDATA)
win_local_app=$(run cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')

installed="$local_app/Programs/Orvane Zentory"
win_installed="$win_local_app\\Programs\\Orvane Zentory"
settings="$app_data/Orvane/Zentory"
work="$prefix/drive_c/setup-work"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvaneZentory'
folder_verb='HKCU\Software\Classes\Directory\shell\OrvaneZentory'
background_verb='HKCU\Software\Classes\Directory\Background\shell\OrvaneZentory'
expected_files=(LICENSE config.ini help.html installed-by-setup.txt screenshots/main-en.png
                uninstall.exe zentory-cli.exe zentorytrl.ini)
shortcut="$app_data/Microsoft/Windows/Start Menu/Programs/Orvane Zentory help.lnk"
if [ "$with_window" = 1 ]; then
    expected_files+=(zentory.exe)
    shortcut="$app_data/Microsoft/Windows/Start Menu/Programs/Orvane Zentory.lnk"
fi
keys=("$uninstall_key" "$folder_verb" "$background_verb")

has_key() { run reg query "$1" >/dev/null 2>&1; }
cleanup() {
    rm -rf "$installed" "$work" "$settings"
    rm -f "$shortcut"
    for key in "${keys[@]}"; do
        if has_key "$key"; then run reg delete "$key" /f >/dev/null 2>&1 || true; fi
    done
}
fail() {
    echo "$*"
    exit 1
}
cleanup
trap cleanup EXIT

run "$setup" /S || fail "the setup failed: $?"

found=$(cd "$installed" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
wanted=$(printf '%s\n' "${expected_files[@]}" | LC_ALL=C sort | tr '\n' ' ')
[ "$found" = "$wanted" ] || fail "installed: $found; expected: $wanted"
[ -f "$shortcut" ] || fail "no Start menu entry $shortcut"

entry=$(run reg query "$uninstall_key" | tr -d '\r') || fail "no Apps & features entry"
for value in "DisplayName    REG_SZ    Orvane Zentory" "DisplayVersion    REG_SZ    1.01" \
    "Publisher    REG_SZ    Orvane Zentory developers" \
    "UninstallString    REG_SZ    \"$win_installed\\uninstall.exe\"" \
    "InstallLocation    REG_SZ    $win_installed" "NoModify    REG_DWORD    0x1" \
    "NoRepair    REG_DWORD    0x1" "EstimatedSize    REG_DWORD    0x"; do
    grep -qF "    $value" <<<"$entry" || fail "the entry lacks \"$value\": $entry"
done
if [ "$with_window" = 1 ]; then
    for key in "$folder_verb" "$background_verb"; do
        verb=$(run reg query "$key" /s | tr -d '\r') || fail "no Explorer entry $key"
        grep -qF "List with Orvane Zentory" <<<"$verb" || fail "unnamed Explorer entry: $verb"
        grep -qF "\"$win_installed\\zentory.exe\" \"%V\"" <<<"$verb" ||
            fail "the Explorer entry runs something else: $verb"
    done
fi

# The installed CLI lists a folder in English, then in German once the user's
# own settings (as the window writes them at a change of language) say so.
mkdir -p "$work"
printf x >"$work/a.txt"
list() { run "$win_installed\\zentory-cli.exe" -d 'C:\setup-work' | tr -d '\r'; }
out=$(list)
[ "$out" = "$(printf 'Contents of C:\\setup-work\\...\n\na.txt')" ] || fail "unexpected list: $out"
mkdir -p "$settings"
sed 's/^\[----\]/[1031]/' "$installed/config.ini" >"$settings/config.ini"
out=$(list)
[ "$(head -1 <<<"$out")" = 'Inhalt von C:\setup-work\...' ] ||
    fail "the installed CLI did not read $settings/config.ini: $out"

# The uninstaller goes on from a copy of itself in the temporary folder and
# returns at once: wait for the files to go (cheap to look at), then for the
# registry keys.
run "$win_installed\\uninstall.exe" /S || fail "the uninstaller failed: $?"
for _ in $(seq 40); do
    [ -e "$installed" ] || [ -e "$shortcut" ] || break
    sleep 0.5
done
left=()
for _ in $(seq 10); do
    left=()
    [ ! -e "$installed" ] || left+=("$installed")
    [ ! -e "$shortcut" ] || left+=("$shortcut")
    for key in "${keys[@]}"; do
        if has_key "$key"; then left+=("$key"); fi
    done
    [ ${#left[@]} -gt 0 ] || break
    sleep 0.5
done
[ ${#left[@]} -eq 0 ] || fail "left after uninstalling: ${left[*]}"
grep -q '^\[1031\]' "$settings/config.ini" || fail "the uninstaller took the user's settings"
echo "installed in $win_installed and uninstalled, the user's settings kept"
