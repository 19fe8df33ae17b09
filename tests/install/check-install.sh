#!/usr/bin/env bash
# The installed program as a packager and a user see it.
#   check-install.sh tree BUILD_DIR CMAKE      installs into a temporary DESTDIR and
#       checks the layout, the desktop entry, the AppStream data, the manual pages,
#       the icons and the completion, then moves the tree and runs it from there.
#   check-install.sh packages BUILD_DIR CPACK [--hardened]  builds the .deb, its
#       -dbgsym package and the portable archive twice, checks that both builds
#       give the same bytes and what the packages hold, and runs lintian on the
#       .deb; with --hardened (a build with Debian's flags) hardening-check too.
set -euo pipefail
mode=$1 build=$2 tool=$3 hardened=${4:-}
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
        share/doc/zentory/copyright share/doc/zentory/changelog.Debian
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
    grep -q '<project_license>MIT</project_license>' "$prefix/share/metainfo/$id.metainfo.xml" ||
        fail "the AppStream data names another licence"
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

# Installed, the entry is offered for folders only when asked (Open With):
# it never becomes the desktop's default opener of folders. Its window class
# is the one Qt gives the window, the name of the program it starts.
check_desktop_integration() {
    local prefix=$1 entry=$1/share/applications/$id.desktop
    update-desktop-database "$prefix/share/applications"
    local opener
    opener=$(env -i PATH="$prefix/bin:$PATH" HOME="$work" XDG_DATA_HOME="$work/nodata" XDG_CONFIG_HOME="$work/noconfig" \
        XDG_DATA_DIRS="$prefix/share" gio mime inode/directory 2>&1 || true)
    ! grep -q "$id" <<<"$opener" || fail "the desktop entry opens folders by default: $opener"
    [ "$(sed -n 's/^StartupWMClass=//p' "$entry")" = "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")" ] ||
        fail "StartupWMClass is not the window's class"
}

# The licence, the changelog and the AppStream release name one version and day.
check_documents() {
    local prefix=$1 doc=$1/share/doc/zentory
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" &&
        grep -qx 'License: Expat' "$doc/copyright" || fail "the copyright file is not DEP-5 with the MIT licence"
    local version date release
    version=$("$prefix/bin/zentory-cli" --version | cut -d' ' -f2)
    date=$(dpkg-parsechangelog -l "$doc/changelog.Debian" -S Date)
    release=$(grep -o '<release [^>]*>' "$prefix/share/metainfo/$id.metainfo.xml")
    [ "$(dpkg-parsechangelog -l "$doc/changelog.Debian" -S Version)" = "$version-1" ] ||
        fail "the changelog is not of version $version"
    [ "$release" = "<release version=\"$version\" date=\"$(date -u -d "$date" +%F)\"/>" ] ||
        fail "the AppStream release ($release) is not the changelog's ($version, $date)"
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
    need update-desktop-database desktop-file-utils
    need gio libglib2.0-bin
    need dpkg-parsechangelog dpkg-dev
    DESTDIR=$work/dest "$tool" --install "$build" --prefix /usr/local >/dev/null
    check_layout "$work/dest/usr/local"
    check_validators "$work/dest/usr/local"
    check_desktop_integration "$work/dest/usr/local"
    check_documents "$work/dest/usr/local"
    rm "$work/dest/usr/local/share/applications/mimeinfo.cache"
    mv "$work/dest/usr/local" "$work/moved"
    check_completion "$work/moved"
    check_runs "$work/moved"
    ;;
packages)
    need dpkg-shlibdeps dpkg-dev
    need lintian lintian
    [ -z "$hardened" ] || need hardening-check devscripts
    # Two builds of the packages, a second apart, from a SOURCE_DATE_EPOCH that
    # cpack takes from the last commit: the same bytes, every time stamp that one.
    for round in 1 2; do
        (cd "$build" && env -u SOURCE_DATE_EPOCH "$tool" -G DEB -B "$work/pkg$round" &&
            env -u SOURCE_DATE_EPOCH "$tool" -G TGZ -B "$work/pkg$round") >"$work/cpack.log" 2>&1 ||
            fail "cpack: $(cat "$work/cpack.log")"
        (cd "$work/pkg$round" && sha256sum ./*.deb ./*.ddeb ./*.tar.gz) >"$work/sums$round"
        rm -rf "$work/pkg$round/_CPack_Packages"
        [ "$round" = 2 ] || sleep 1
    done
    diff "$work/sums1" "$work/sums2" || fail "two builds of the packages differ"
    cat "$work/sums1"
    deb=$(echo "$work"/pkg1/zentory_*.deb)
    if epoch=$(git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null); then
        times=$({ dpkg-deb --fsys-tarfile "$deb" | tar -t --full-time -v
                  gzip -dc "$work"/pkg1/zentory-*.tar.gz | tar -t --full-time -v; } | awk '{ print $4 " " $5 }' | sort -u)
        [ "$times" = "$(date -u -d "@$epoch" '+%F %T')" ] ||
            fail "the packages' times are not the last commit's ($(date -u -d "@$epoch" '+%F %T')): $times"
    fi
    fields=$(dpkg-deb -f "$deb" Depends Recommends)
    for dep in libqt6widgets6 libqt6svg6 libicu72 libc6 'Recommends: qt6-translations-l10n, xdg-utils'; do
        grep -q "$dep" <<<"$fields" || fail "the package lacks $dep: $fields"
    done
    files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
    for file in ./usr/bin/zentory ./usr/bin/zentory-cli ./usr/share/zentory/config.ini \
        ./usr/share/man/man1/zentory.1.gz ./usr/share/applications/$id.desktop \
        ./usr/share/doc/zentory/copyright ./usr/share/doc/zentory/changelog.Debian.gz; do
        grep -qx "$file" <<<"$files" || fail "the package lacks $file"
    done
    ! grep -v '^\./usr/' <<<"$files" | grep -qv '^\./$' || fail "the package holds files outside /usr"
    # The programs are stripped, and their debug symbols (when the build has
    # any) are in the -dbgsym package under their build ids; dpkg can verify
    # what both install.
    dpkg-deb -x "$deb" "$work/deb"
    dpkg-deb -x "$work"/pkg1/zentory-dbgsym_*.ddeb "$work/dbgsym"
    for tree in deb:"$deb" dbgsym:"$(echo "$work"/pkg1/zentory-dbgsym_*.ddeb)"; do
        (cd "$work/${tree%%:*}" && dpkg-deb --ctrl-tarfile "${tree#*:}" | tar -xO ./md5sums | md5sum -c --quiet) ||
            fail "the md5sums of ${tree#*:} do not match its files"
    done
    for program in zentory zentory-cli; do
        binary=$work/deb/usr/bin/$program
        ! readelf -S "$binary" | grep -q '\.debug_info' || fail "$program is not stripped"
        build_id=$(readelf -n "$binary" | sed -n 's/.*Build ID: //p')
        symbols=$work/dbgsym/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug
        [ -f "$symbols" ] || fail "the -dbgsym package has no file for $program ($build_id)"
        ! readelf -S "$build/$program" | grep -q '\.debug_info' || readelf -S "$symbols" 2>/dev/null | grep -q '\.debug_info' ||
            fail "the -dbgsym package lacks the debug symbols of $program ($build_id)"
    done
    # No error and no warning; the informational tags the package needs are
    # overridden in it, each with its reason.
    # (The overridden tags are shown too, which also proves lintian looked.)
    lintian -EvI --pedantic --show-overrides "$deb" >"$work/lintian.log" 2>&1 || true
    ! grep -E '^(E|W): ' "$work/lintian.log" || fail "lintian: $(grep -E '^(E|W|I|P): ' "$work/lintian.log")"
    grep -q '^O: zentory: ' "$work/lintian.log" || fail "lintian checked nothing: $(cat "$work/lintian.log")"
    grep -E '^(I|P|X|C|O): ' "$work/lintian.log"
    if [ -n "$hardened" ]; then
        # Debian 12's C start files carry no CET mark, so no program linked here
        # has one (nor do /bin/ls and dpkg); every other feature is required.
        hardening-check --nocfprotection "$work/deb/usr/bin/zentory" "$work/deb/usr/bin/zentory-cli" ||
            fail "hardening-check"
    fi
    # The archive is a portable folder: the shipped files beside the programs.
    tar -xzf "$work"/pkg1/zentory-*.tar.gz -C "$work"
    portable=$(echo "$work"/zentory-*-Linux)
    [ "$(cd "$portable" && LC_ALL=C ls | tr '\n' ' ')" = "LICENSE config.ini help.html screenshots zentory zentory-cli zentorytrl.ini " ] ||
        fail "the archive holds: $(ls "$portable")"
    mkdir -p "$work/list" && touch "$work/list/a.txt"
    LC_ALL=C "$portable/zentory-cli" -d "$work/list" | grep -q '^Contents of' || fail "the portable CLI"
    ;;
esac
echo "OK: $mode"
