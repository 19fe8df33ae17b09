#!/usr/bin/env bash
# zentory-cli.exe shows Greek, Japanese and other names right in a console:
# it writes UTF-16 there, which Wine's console on a pseudo-terminal (from
# script(1)) turns into UTF-8 with cursor escapes. The escapes and CRs are
# taken out before the names are looked for. (Wine's console shows a character
# beyond the basic plane as two U+FFFD, so none is among the names; files and
# pipes get its bytes unchanged.)
# Usage: console-shows-names.sh WINE_PREFIX RUNNER CLI
set -eu
prefix=$1 runner=$2 cli=$3
tree="$prefix/drive_c/zentory-console"
trap 'rm -rf "$tree"' EXIT
names=("Αθήνα.jpg" "東京.jpg" "Café Ünïcode.txt" "plain.txt")
mkdir -p "$tree"
for n in "${names[@]}"; do
    printf x >"$tree/$n"
done
shown=$(LANG=C.UTF-8 script -qec "'$runner' '$prefix' '$cli' -d 'C:\\zentory-console'" /dev/null |
    sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r')
status=0
for n in "${names[@]}"; do
    if ! grep -qxF "$n" <<<"$shown"; then
        echo "not shown as a line: $n"
        status=1
    fi
done
if [ $status -ne 0 ]; then
    printf '%s\n' "$shown" | od -c | head -30
fi
exit $status
