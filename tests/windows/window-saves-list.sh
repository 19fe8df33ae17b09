#!/usr/bin/env bash
# zentory.exe driven like a person would under Wine, on a virtual X server:
# it reads the folder given on its command line, saves the list through the
# save dialog in English, reads it again with its sub-folders through the
# folder browser and saves it in English, copies three of its rows with Ctrl+C
# (read back with xclip) and, after a change of language in
# the language dialog, in German; each file must be the bytes zentory-cli
# writes for the same folder and options. The window is photographed in English, German and
# French into BUILD/screenshots-windows. Run it through with-display.sh:
#   window-saves-list.sh BUILD PREFIX WINE_RUN
set -Eeuo pipefail
build=$1 prefix=$2 wine_run=$3
for tool in xdotool xwd convert; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

drive=$prefix/drive_c
tree=$drive/zentory-window-tree out=$drive/zentory-window-out
shots=$build/screenshots-windows
rm -rf "$tree" "$out"
mkdir -p "$tree/img/sub" "$out" "$shots"
printf a >"$tree/a.txt"
printf B >"$tree/B.TXT"
printf b >"$tree/img/b.png"
printf c >"$tree/img/sub/c.txt"

# The language is chosen in the settings file beside the program (CR LF
# lines): start in English, and put the file back afterwards.
config=$build/config.ini
cp "$config" "$out/config.ini.saved"
sed -i '/^Language/{n;s/^[^\r]*/[1033]/}' "$config"

trap 'cp "$out/config.ini.saved" "$config"' EXIT
# A step that fails says which one it was.
trap 'echo "failed at line $LINENO: $BASH_COMMAND" >&2' ERR

# The id of the visible window titled $1, the newest when $2 ("last") says so,
# once there are at least $3 of them; fails after 20 s.
window() {
    local ids
    for _ in $(seq 200); do
        ids=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true)
        if [ "$(grep -c . <<<"$ids")" -ge "${3:-1}" ]; then
            if [ "${2:-first}" = last ]; then tail -1 <<<"$ids"; else head -1 <<<"$ids"; fi
            return 0
        fi
        sleep 0.1
    done
    echo "no window '$1'" >&2
    xwininfo -root -tree >&2
    return 1
}
# Waits until only the main window is left.
dialogs_closed() {
    for _ in $(seq 100); do
        [ "$(xdotool search --onlyvisible --name '^Orvane Zentory$' 2>/dev/null | grep -c .)" -le 1 ] &&
            return 0
        sleep 0.1
    done
    echo "a dialog stayed open" >&2
    return 1
}
keys() { xdotool key --clearmodifiers --delay 100 "$@"; }

# Leaves the date out and the file closed after saving; $1 and $2 are the
# check boxes' mnemonics in the interface language.
options_without_date() {
    keys alt+o
    window 'Orvane Zentory' last 2 >/dev/null
    sleep 0.5
    keys "alt+$1" "alt+$2" Return
    dialogs_closed
}
# Saves through the save dialog to $1 and closes the box that says it is saved.
save_as() {
    keys alt+s
    window 'Save As' >/dev/null
    sleep 1.5
    xdotool windowactivate --sync "$(window 'Save As')" 2>/dev/null || true
    xdotool type --delay 30 "$1"
    keys Return
    window 'Orvane Zentory' last 2 >/dev/null
    sleep 0.3
    keys Return
    dialogs_closed
}
# The language dialog through the File menu, whose mnemonic and that of its
# item are $1 and $2 in the interface language; the rest are the keys that
# pick the language in the dialog's combo box.
language() {
    keys "alt+$1"
    sleep 0.5
    keys "$2"
    shift 2
    window 'Language Selection' >/dev/null
    sleep 0.5
    keys Tab
    "$@"
    keys Return
    sleep 1
}
shoot() {
    sleep 0.5
    xwd -id "$(window 'Orvane Zentory')" -out "$out/shot.xwd"
    convert "$out/shot.xwd" "$shots/main-$1.png"
}
# Compares list-$1.txt with what zentory-cli writes with the options that follow.
same_as_cli() {
    local name=$1
    shift
    "$wine_run" "$prefix" "$build/zentory-cli.exe" -d "$@" 'C:\zentory-window-tree' \
        -o "C:\\zentory-window-out\\cli-$name.txt" </dev/null
    if ! cmp "$out/list-$name.txt" "$out/cli-$name.txt"; then
        diff <(cat -A "$out/cli-$name.txt") <(cat -A "$out/list-$name.txt") || true
        exit 1
    fi
    echo "$name: the window's list is the command line's"
}

"$wine_run" "$prefix" "$build/zentory.exe" 'C:\zentory-window-tree' </dev/null >/dev/null 2>&1 &
app=$!
xdotool windowactivate --sync "$(window 'Orvane Zentory')" 2>/dev/null || true
shoot en
options_without_date d o
save_as 'C:\zentory-window-out\list-en.txt'
same_as_cli en

# With the sub-folders, read again through the folder browser.
keys alt+u alt+r
browser=$(window 'Please select the folder you want to export:')
sleep 1
xdotool windowactivate --sync "$browser" 2>/dev/null || true
xdotool type --delay 30 'C:\zentory-window-tree'
keys Return
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^Please select' >/dev/null 2>&1 || break
    sleep 0.1
done
sleep 1
xdotool windowactivate --sync "$(window 'Orvane Zentory')" 2>/dev/null || true
save_as 'C:\zentory-window-out\list-en-r.txt'
same_as_cli en-r -r

# Ctrl+C on the first three rows of the list puts exactly their names on the
# clipboard, where an X program reads them (Wine gives CR LF as LF).
if command -v xclip >/dev/null; then
    xdotool windowactivate --sync "$(window 'Orvane Zentory')" 2>/dev/null || true
    keys shift+Tab Home shift+Down shift+Down ctrl+c
    sleep 0.5
    copied=$(xclip -o -selection clipboard | od -c)
    expected=$(printf 'B.TXT\na.txt\nb.png\n' | od -c)
    [ "$copied" = "$expected" ] || { echo "copied:"; echo "$copied"; exit 1; }
    echo "copy: three rows chosen, their three names on the clipboard"
    keys Tab
else
    echo "xclip is missing: the clipboard was not read back"
fi

language f l xdotool type --delay 30 Deutsch
grep -q '^\[1031\]' "$config" || { echo "German was not chosen"; exit 1; }
shoot de
options_without_date d f
save_as 'C:\zentory-window-out\list-de.txt'
# A new language keeps the list read last: the sub-folders' too.
same_as_cli de -r

# After Deutsch in the sorted list come English and Français.
language d s keys Down Down
grep -q '^\[1036\]' "$config" || { echo "French was not chosen"; exit 1; }
shoot fr
# Escape is Cancel, and Cancel ends the main window and the program.
keys Escape
for _ in $(seq 100); do kill -0 $app 2>/dev/null || exit 0; sleep 0.1; done
echo "the program did not end"
exit 1
