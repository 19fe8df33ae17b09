#!/usr/bin/env bash
# The portable zip unpacks and runs where it is put: packs the build folder
# with cpack, unpacks it into a folder of the Wine prefix whose name is not
# ASCII, and lists the worked example's tree with the zip's own catalogue.
# WITH_WINDOW is 1 when the window is built: the zip holds it too.
# Usage: zip-runs-anywhere.sh BUILD_DIR WINE_PREFIX RUNNER CPACK WITH_WINDOW
set -eu
build=$1 prefix=$2 runner=$3 cpack=$4 with_window=$5
work=$(mktemp -d)
trap 'rm -rf "$work" "$prefix/drive_c/Programme Ünïcode" "$prefix/drive_c/zip-work"' EXIT

"$cpack" --config "$build/CPackConfig.cmake" -G ZIP -B "$work" >"$work/cpack.log" ||
    { cat "$work/cpack.log"; exit 1; }
zip=$(echo "$work"/zentory-*-windows-x64.zip)
[ -f "$zip" ] || { echo "no zip in $work"; ls "$work"; exit 1; }
top=$(basename "$zip" .zip)

place="$prefix/drive_c/Programme Ünïcode"
mkdir -p "$place"
(cd "$place" && cmake -E tar xf "$zip")
files=(zentory-cli.exe config.ini zentorytrl.ini help.html LICENSE screenshots/main-en.png)
if [ "$with_window" = 1 ]; then
    files+=(zentory.exe)
fi
[ ! -e "$place/$top/installed-by-setup.txt" ] || { echo "the zip says it was installed"; exit 1; }
for f in "${files[@]}"; do
    [ -f "$place/$top/$f" ] || { echo "the zip lacks $f"; exit 1; }
done

mkdir -p "$prefix/drive_c/zip-work/img"
printf x >"$prefix/drive_c/zip-work/a.txt"
printf x >"$prefix/drive_c/zip-work/img/b.png"
out=$("$runner" "$prefix" 'C:\Programme Ünïcode\'"$top"'\zentory-cli.exe' \
    -r -d 'C:\zip-work')
expected=$(printf 'Contents of C:\\zip-work\\...\r\n\r\na.txt\r\n\r\n---\r\n\r\nFolder ...\\img:\r\n\r\nb.png\r')
if [ "$out" != "$expected" ]; then
    echo "unexpected list:"
    printf '%s\n' "$out" | od -c | head -20
    exit 1
fi
echo "the zip runs from C:\\Programme Ünïcode"
