#!/usr/bin/env bash
# A newer setup goes where the installed copy is: it makes a setup of version
# 1.00 from the same script, installs that silently, then runs this build's
# setup (1.01) and checks that one copy and one entry are left, in the folder
# each row expects. Then, with the installed zentory-cli.exe running (blocked
# writing to a full pipe), the silent setup and the uninstaller end with exit
# code 2 and change nothing, until the program has ended. Last, a file of the
# copy that another program holds keeps the entry in Apps & features.
# Usage: setup-upgrades.sh SETUP MAKENSIS SCRIPT SETUP_FILES WORK WINE_PREFIX RUNNER WITH_WINDOW
#                          HOLD_FILE_EXE
set -euo pipefail
setup=$1 makensis=$2 script=$3 setup_files=$4 work=$5 prefix=$6 runner=$7 with_window=$8
holder=$9

run() { "$runner" "$prefix" "$@" </dev/null; }
fail() {
    echo "$*"
    exit 1
}
{ read -r win_local_app; read -r app_data; } < <(run cmd /c echo %LOCALAPPDATA% '&' echo %APPDATA% |
    tr -d '\r')
# A Windows path of drive C: as a Linux path in the prefix.
linux_path() {
    local win=${1#[Cc]:\\}
    printf '%s/drive_c/%s' "$prefix" "${win//\\//}"
}
declare -A folders=([default]="$win_local_app\\Programs\\Orvane Zentory"
                    [custom]='C:\CustomZentory' [other]='C:\OtherZentory'
                    [running]='C:\RunningZentory')
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvaneZentory'
folder_verb='HKCU\Software\Classes\Directory\shell\OrvaneZentory'
background_verb='HKCU\Software\Classes\Directory\Background\shell\OrvaneZentory'
shortcut="$(linux_path "$app_data")/Microsoft/Windows/Start Menu/Programs/Orvane Zentory"
[ "$with_window" = 1 ] && shortcut+=.lnk || shortcut+=' help.lnk'
big="$prefix/drive_c/setup-big"

cleanup() {
    for folder in "${folders[@]}"; do rm -rf "$(linux_path "$folder")"; done
    rm -rf "$big"
    rm -f "$shortcut"
    run cmd /c reg delete "$uninstall_key" /f '&' reg delete "$folder_verb" /f '&' \
        reg delete "$background_verb" /f >/dev/null 2>&1 || true
}
cleanup
trap cleanup EXIT

# The earlier version: the same script and files under another version.
mkdir -p "$work"
old_setup="$work/zentory-setup-1.00-x64.exe"
# Packed quickly: what it holds matters here, not its size.
"$makensis" -V1 -INPUTCHARSET UTF8 '-XSetCompressor /FINAL zlib' \
    "-DZENTORY_FILES=$setup_files" -DZENTORY_VERSION=1.00 \
    -DZENTORY_FILE_VERSION=1.0.0.0 "-DZENTORY_OUTFILE=$old_setup" "$script" ||
    fail "makensis could not make the setup of version 1.00"

# Which of the folders hold a copy, the entry's version and folder, and where
# the Explorer entry and the Start menu entry lead (one start of Wine).
state() {
    local held=() name keys
    for name in default custom other running; do
        [ ! -e "$(linux_path "${folders[$name]}")/zentory-cli.exe" ] || held+=("$name")
    done
    keys=$(run cmd /c reg query "$uninstall_key" '&' reg query "$folder_verb\\command" /ve |
        tr -d '\r') || true
    value() { sed -n "s/^ *$1 *REG_[A-Z_]* *//p" <<<"$keys"; }
    printf 'copies: %s; entry: %s in %s' "${held[*]}" "$(value DisplayVersion)" \
        "$(value InstallLocation)"
    [ ! -e "$shortcut" ] || printf '; Start menu entry'
    [ "$with_window" != 1 ] || printf '; Explorer: %s' "$(value '(Default)')"
}
expect_state() { # FOLDER_NAME VERSION
    local dir=${folders[$1]} wanted
    wanted="copies: $1; entry: $2 in $dir; Start menu entry"
    [ "$with_window" != 1 ] || wanted+="; Explorer: \"$dir\\zentory.exe\" \"%V\""
    [ "$(state)" = "$wanted" ] || fail "$3: $(state); expected: $wanted"
}

# The folder /D= gives each setup (none: "-") and where the copy ends up.
# name | 1.00 setup | 1.01 setup | copy
rows=("the default folder|-|-|default"
      "a folder of one's own|custom|-|custom"
      "another folder chosen on upgrading|custom|other|other")
for row in "${rows[@]}"; do
    IFS='|' read -r name old new wanted <<<"$row"
    old_args=(/S) new_args=(/S)
    [ "$old" = - ] || old_args+=("/D=${folders[$old]}")
    [ "$new" = - ] || new_args+=("/D=${folders[$new]}")
    run "$old_setup" "${old_args[@]}" || fail "$name: the 1.00 setup failed: $?"
    expect_state "$([ "$old" = - ] && echo default || echo "$old")" 1.00 "$name, 1.00"
    run "$setup" "${new_args[@]}" || fail "$name: the 1.01 setup failed: $?"
    expect_state "$wanted" 1.01 "$name, upgraded"
    cleanup
done

# A copy the entry does not name (one copied by hand, or left by an earlier
# setup) takes only its own files when it is removed: the entry, the Explorer
# and Start menu entries stay with the installed copy.
run "$setup" /S "/D=${folders[custom]}" || fail "the setup failed: $?"
cp -a "$(linux_path "${folders[custom]}")" "$(linux_path "${folders[other]}")"
run "${folders[other]}\\uninstall.exe" /S "_?=${folders[other]}" ||
    fail "uninstalling the unregistered copy failed: $?"
rm -f "$(linux_path "${folders[other]}")/uninstall.exe"
expect_state custom 1.01 "after removing an unregistered copy"
cleanup

# A running copy: zentory-cli.exe lists a folder of 3000 files into a pipe
# that is read up to the first line, so it blocks once the pipe is full.
dir=${folders[running]}
run "$old_setup" /S "/D=$dir" || fail "the 1.00 setup failed: $?"
mkdir -p "$big"
(cd "$big" && seq -f 'a-file-with-a-name-long-enough-to-fill-the-pipe-%04g.txt' 3000 | xargs touch)
reader_pid="$work/reader.pid"
rm -f "$reader_pid"
{ run "$dir\\zentory-cli.exe" -d 'C:\setup-big' |
    { IFS= read -r _; echo "$BASHPID" >"$reader_pid"; exec sleep 300; }; } &
blocked=$!
stop_reader() {
    [ ! -s "$reader_pid" ] || kill "$(cat "$reader_pid")" 2>/dev/null || true
    wait "$blocked" 2>/dev/null || true
}
trap 'stop_reader; cleanup' EXIT
for _ in $(seq 100); do [ -s "$reader_pid" ] && break; sleep 0.2; done
[ -s "$reader_pid" ] || fail "zentory-cli.exe wrote nothing"
sleep 0.5 # until the pipe is full

sums() { (cd "$(linux_path "$dir")" && find . -type f -exec sha256sum {} + | LC_ALL=C sort); }
before_files=$(sums) before_state=$(state)
status=0
run "$setup" /S || status=$?
[ "$status" = 2 ] || fail "the silent upgrade of a running copy ended with $status, not 2"
[ "$(sums)" = "$before_files" ] || fail "the upgrade changed the running copy's files"
[ "$(state)" = "$before_state" ] || fail "the upgrade changed $before_state into $(state)"
status=0
run "$dir\\uninstall.exe" /S "_?=$dir" || status=$?
[ "$status" = 2 ] || fail "uninstalling a running copy ended with $status, not 2"
[ "$(sums)" = "$before_files" ] || fail "the uninstaller changed the running copy's files"
[ "$(state)" = "$before_state" ] || fail "the uninstaller changed $before_state into $(state)"

# Once the program has ended, the same upgrade goes through.
stop_reader
run "$setup" /S || fail "the upgrade after the program ended failed: $?"
expect_state running 1.01 "after the program ended"

# A file another program holds cannot be removed: the uninstaller ends with 2
# and the entry stays, so that the rest can be removed later.
flag="$prefix/drive_c/setup-hold.flag"
rm -f "$flag"
run "$holder" "$dir\\help.html" 'C:\setup-hold.flag' &
holder_pid=$!
trap 'rm -f "$flag"; wait "$holder_pid" || true; stop_reader; cleanup' EXIT
for _ in $(seq 100); do [ -e "$flag" ] && break; sleep 0.1; done
[ -e "$flag" ] || fail "hold_file.exe did not hold help.html"
status=0
run "$dir\\uninstall.exe" /S "_?=$dir" || status=$?
[ "$status" = 2 ] || fail "uninstalling with a file held ended with $status, not 2"
[ -e "$(linux_path "$dir")/help.html" ] || fail "the held help.html is gone"
[[ "$(state)" == "copies: ; entry: 1.01 in $dir;"* ]] ||
    fail "with a file left the entry should stay: $(state)"
rm -f "$flag"
wait "$holder_pid" || true
run "$dir\\uninstall.exe" /S "_?=$dir" || fail "uninstalling once the file was free failed: $?"
[ ! -e "$(linux_path "$dir")/help.html" ] || fail "help.html stayed"
[[ "$(state)" == "copies: ; entry:  in ;"* ]] || fail "the entry stayed: $(state)"
echo "upgraded in the default folder, in one's own and into another; a running copy stayed" \
    "whole; a held file kept the entry"
