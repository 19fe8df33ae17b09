#!/usr/bin/env bash
# The installed program as a packager and a user see it.
#   check-install.sh tree BUILD_DIR CMAKE      installs into a temporary DESTDIR and
#       checks the layout, the desktop entry, the AppStream data, the manual pages,
#       the icons and the completion, then moves the tree and runs it from there.
#   check-install.sh packages BUILD_DIR CPACK  builds the .deb and the portable
#       archive into a temporary folder and checks what they hold.
set -euo pipefail
mode=$1 build=$2 tool=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
need() {
    command -v "$1" >/dev/null || fail "$1 is missing (Debian package $2; ./build.sh test installs it)"
}
# The width and height of a PNG file, from its header.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'
}
id=org.orvane.Zentory

check_layout() {
    local prefix=$1
    [ "$(ls "$prefix")" = "$(printf 'bin\nshare')" ] || fail "the prefix holds: $(ls "$prefix")"
    local expected=(bin/zentory bin/zentory-cli
        share/applications/$id.desktop share/bash-completion/completions/zentory-cli
        share/icons/hicolor/scalable/apps/$id.svg share/man/man1/zentory-cli.1
        share/man/man1/zentory.1 share/metainfo/$id.metainfo.xml share/zentory/config.ini
        share/zentory/help.html share/zentory/screenshots/main-en.png share/zentory/zentorytrl.ini)
    local size
    for size in 16 22 24 32 48 64 128 256; do
        expected+=("share/icons/hicolor/${size}x$size/apps/$id.png")
        [ "$(png_size "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png")" = "${size}x$size" ] ||
            fail "the ${size}x$size icon has another size"
    done
    diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . ! -type d | cut -c3- | sort) ||
        fail "the installed files differ from the layout (< expected, > installed)"
}

check_validators() {
    local prefix=$1 page
    desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
    grep -qx 'Exec=zentory %f' "$prefix/share/applications/$id.desktop" || fail "Exec line"
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
    for page in zentory zentory-cli; do
        local warnings text
        warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man $page: $warnings"
        text=$(MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1" 2>/dev/null)
        grep -q "^NAME" <<<"$text" && grep -q "^       $page - " <<<"$text" || fail "man $page renders as: $text"
    done
}

# The completion offers the CLI's options and completes -o with file names.
check_completion() {
    local prefix=$1
    PATH="$prefix/bin:$PATH" bash -c '
        source "$1/share/bash-completion/completions/zentory-cli"
        COMP_WORDS=(zentory-cli --sub); COMP_CWORD=1; _zentory_cli
        [ "${COMPREPLY[*]}" = "--subfolders" ] || exit 1
        COMP_WORDS=(zentory-cli -o "$1/bin/zentory-c"); COMP_CWORD=2; _zentory_cli
        [ "${COMPREPLY[*]}" = "$1/bin/zentory-cli" ] || exit 2' _ "$prefix" ||
        fail "the completion (case $?)"
}

# Runs the tree at `prefix` as a user would: the CLI follows the user's settings.
check_runs() {
    local prefix=$1 out
    mkdir -p "$work/list/sub" && touch "$work/list/a.txt" "$work/list/sub/b.txt"
    "$prefix/bin/zentory-cli" --version | grep -q '^zentory-cli [0-9]' || fail "zentory-cli --version"
    "$prefix/bin/zentory" --version | grep -q '^zentory [0-9]' || fail "zentory --version"
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/zentory" 2>&1) &&
        fail "zentory without a display exited 0"
    [ "$(wc -l <<<"$out")" = 1 ] || fail "zentory without a display said: $out"

    export XDG_CONFIG_HOME=$work/config LC_ALL=C
    out=$("$prefix/bin/zentory-cli" -d -r "$work/list" | tr -d '\r')
    [ "$(head -n1 <<<"$out")" = "Contents of $work/list/..." ] && grep -qx 'b.txt' <<<"$out" ||
        fail "zentory-cli with the shipped settings wrote: $out"
    mkdir -p "$XDG_CONFIG_HOME/zentory"
    sed 's/^\[----\]/[1031]/' "$prefix/share/zentory/config.ini" >"$XDG_CONFIG_HOME/zentory/config.ini"
    out=$("$prefix/bin/zentory-cli" -d "$work/list")
    [ "${out%%$'\r'*}" = "Inhalt von $work/list/..." ] || fail "zentory-cli ignored the user's settings: $out"
    # The window starts on a folder and stays up until it is closed.
    local status=0
    QT_QPA_PLATFORM=offscreen timeout 3 "$prefix/bin/zentory" "$work/list" >/dev/null 2>&1 || status=$?
    [ "$status" = 124 ] || fail "the window ended with status $status"
}

case $mode in
tree)
    need desktop-file-validate desktop-file-utils
    need appstreamcli appstream
    need man man-db
    DESTDIR=$work/dest "$tool" --install "$build" --prefix /usr/local >/dev/null
    check_layout "$work/dest/usr/local"
    check_validators "$work/dest/usr/local"
    mv "$work/dest/usr/local" "$work/moved"
    check_completion "$work/moved"
    check_runs "$work/moved"
    ;;
packages)
    need dpkg-shlibdeps dpkg-dev
    (cd "$build" && "$tool" -G DEB -B "$work/pkg" && "$tool" -G TGZ -B "$work/pkg") >"$work/cpack.log" 2>&1 ||
        fail "cpack: $(cat "$work/cpack.log")"
    deb=$(echo "$work"/pkg/zentory_*.deb)
    fields=$(dpkg-deb -f "$deb" Depends Recommends)
    for dep in libqt6widgets6 libqt6svg6 libicu72 libc6 'Recommends: qt6-translations-l10n'; do
        grep -q "$dep" <<<"$fields" || fail "the package lacks $dep: $fields"
    done
    files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
    for file in ./usr/bin/zentory ./usr/bin/zentory-cli ./usr/share/zentory/config.ini \
        ./usr/share/man/man1/zentory.1.gz ./usr/share/applications/$id.desktop; do
        grep -qx "$file" <<<"$files" || fail "the package lacks $file"
    done
    ! grep -v '^\./usr/' <<<"$files" | grep -qv '^\./$' || fail "the package holds files outside /usr"
    # The archive is a portable folder: the shipped files beside the programs.
    tar -xzf "$work"/pkg/zentory-*.tar.gz -C "$work"
    portable=$(echo "$work"/zentory-*-Linux)
    [ "$(cd "$portable" && ls | tr '\n' ' ')" = "config.ini help.html screenshots zentory zentory-cli zentorytrl.ini " ] ||
        fail "the archive holds: $(ls "$portable")"
    mkdir -p "$work/list" && touch "$work/list/a.txt"
    LC_ALL=C "$portable/zentory-cli" -d "$work/list" | grep -q '^Contents of' || fail "the portable CLI"
    ;;
esac
echo "OK: $mode"
