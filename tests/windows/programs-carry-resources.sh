#!/usr/bin/env bash
# What Windows shows of each built program in its Properties (Details) and
# reads from it before it starts: the version information (the numbers of
# "1.01" are 1.0.1.0: the major number, then each digit of the minor one), the
# copyright of the release's year, the icon, and the manifest that declares
# Windows 10 and 11 and paths beyond 260 characters. The setup program carries
# the same version.
# Usage: programs-carry-resources.sh VERSION RELEASE_DATE BUILD_DIR SETUP WITH_WINDOW
set -euo pipefail
version=$1 release_date=$2 build=$3 setup=$4 with_window=$5
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "$*"
    exit 1
}
[[ $version =~ ^([0-9]+)\.([0-9])([0-9])$ ]] || fail "version $version is not MAJOR.NN"
numbers="${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.${BASH_REMATCH[3]}.0"
copyright="Copyright © ${release_date:0:4} Orvane Zentory developers"

# file | FileDescription | OriginalFilename ("-": none) | has our icon and manifest
rows=("$build/zentory-cli.exe|Orvane Zentory command line|zentory-cli.exe|1"
      "$setup|Orvane Zentory setup|-|0")
if [ "$with_window" = 1 ]; then
    rows+=("$build/zentory.exe|Orvane Zentory|zentory.exe|1")
fi

for row in "${rows[@]}"; do
    IFS='|' read -r file description original ours <<<"$row"
    name=$(basename "$file")
    info=$(wrestool -x --raw -t 16 "$file" | "$here/support/version-info.py") ||
        fail "$name: no version information"
    wanted=("binary FileVersion $numbers" "binary ProductVersion $numbers"
            "FileVersion=$version" "ProductVersion=$version" "ProductName=Orvane Zentory"
            "CompanyName=Orvane Zentory developers" "FileDescription=$description"
            "LegalCopyright=$copyright")
    [ "$original" = - ] || wanted+=("OriginalFilename=$original")
    for line in "${wanted[@]}"; do
        grep -qxF "$line" <<<"$info" || fail "$name: no \"$line\" in its version information: $info"
    done
    [ "$ours" = 1 ] || continue

    wrestool -l -t 14 "$file" | grep -q -- '--name=128' || fail "$name: no icon 128"
    manifest=$(wrestool -x --raw -t 24 "$file" | tr -d '\r\n' | sed 's/>[[:space:]]*</></g')
    for part in '<longPathAware xmlns="http://schemas.microsoft.com/SMI/2016/WindowsSettings">true</longPathAware>' \
        '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'; do
        grep -qF "$part" <<<"$manifest" || fail "$name: its manifest lacks $part: $manifest"
    done
done
echo "version $version ($numbers), \"$copyright\", icon and manifest: ${#rows[@]} programs"
