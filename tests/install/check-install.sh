#!/usr/bin/env bash
# The installed program as a packager and a user see it.
#   check-install.sh tree BUILD_DIR CMAKE      installs into a temporary DESTDIR and
#       checks the layout, the desktop entry, the AppStream data, the manual pages,
#       the icons and the completion, then moves the tree and runs it from there.
#   check-install.sh packages BUILD_DIR CPACK [--hardened] [--same-as DIR]  builds
#       the .deb, its -dbgsym package and the portable archive twice, the second
#       time under umask 077, checks that both builds give the same bytes, what
#       the packages hold and their modes and owners, and runs lintian on the
#       .deb and the .ddeb; with --hardened (a build with Debian's flags)
#       hardening-check too; with --same-as, that DIR holds the same packages.
# A check whose tool is missing is left out, and the script then ends with
# status 77 (skipped) once every other check has passed.
set -euo pipefail
mode=$1 build=$2 tool=$3
shift 3
hardened= same_as=
while (($#)); do
    case $1 in
    --hardened) hardened=1 ;;
    --same-as) same_as=$2 && shift ;;
    *) echo "unknown option $1" >&2 && exit 2 ;;
    esac
    shift
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# need TOOL PACKAGE: without it nothing here can be checked, so the script
# ends at once as skipped.
need() {
    command -v "$1" >/dev/null || {
        echo "SKIP: $1 is missing (Debian package $2; ./build.sh test installs it)"
        exit 77
    }
}
# have TOOL PACKAGE CHECK: false without the tool, and CHECK is then left out
# and named when the script ends as skipped.
skipped=()
have() {
    command -v "$1" >/dev/null && return
    skipped+=("$3 ($1 is missing, Debian package $2)")
    return 1
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
    if have desktop-file-validate desktop-file-utils "the desktop entry's validation"; then
        desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
    fi
    grep -qx 'Exec=zentory %f' "$prefix/share/applications/$id.desktop" || fail "Exec line"
    if have appstreamcli appstream "the AppStream data's validation"; then
        appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo"
    fi
    grep -q '<project_license>MIT</project_license>' "$prefix/share/metainfo/$id.metainfo.xml" ||
        fail "the AppStream data names another licence"
    have man man-db "the manual pages" || return 0
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
    [ "$(sed -n 's/^StartupWMClass=//p' "$entry")" = "$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")" ] ||
        fail "StartupWMClass is not the window's class"
    have update-desktop-database desktop-file-utils "the desktop's default opener of folders" &&
        have gio libglib2.0-bin "the desktop's default opener of folders" || return 0
    update-desktop-database "$prefix/share/applications"
    local opener
    opener=$(env -i PATH="$prefix/bin:$PATH" HOME="$work" XDG_DATA_HOME="$work/nodata" XDG_CONFIG_HOME="$work/noconfig" \
        XDG_DATA_DIRS="$prefix/share" gio mime inode/directory 2>&1 || true)
    ! grep -q "$id" <<<"$opener" || fail "the desktop entry opens folders by default: $opener"
    rm "$prefix/share/applications/mimeinfo.cache"
}

# The Debian package's licence and changelog, and the AppStream release, name
# one version and day.
check_documents() {
    local prefix=$1 doc=$1/share/doc/zentory
    gzip -dc "$doc/changelog.Debian.gz" >"$work/changelog.Debian"
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" &&
        grep -qx 'License: Expat' "$doc/copyright" || fail "the copyright file is not DEP-5 with the MIT licence"
    local version date release
    version=$("$prefix/bin/zentory-cli" --version | cut -d' ' -f2)
    date=$(dpkg-parsechangelog -l "$work/changelog.Debian" -S Date)
    release=$(grep -o '<release [^>]*>' "$prefix/share/metainfo/$id.metainfo.xml")
    [ "$(dpkg-parsechangelog -l "$work/changelog.Debian" -S Version)" = "$version-1" ] ||
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

# Every folder 0755, programs 0755, every other file 0644, links as links,
# owner and group root (by name and by number), as a distribution ships them
# whatever the umask, the user and the checkout's modes of the build.
# `listing` is `tar -tv` of the package's files; `programs` matches the paths
# of its programs.
check_modes() {
    local what=$1 listing=$2 programs=$3 perms owner path bad
    bad=$(while read -r perms owner _ _ _ path; do
        path=${path%% -> *}
        case $perms in
        d*) [ "$perms" = drwxr-xr-x ] ;;
        l*) [ "$perms" = lrwxrwxrwx ] ;;
        *) if [[ $path =~ $programs ]]; then [ "$perms" = -rwxr-xr-x ]; else [ "$perms" = -rw-r--r-- ]; fi ;;
        esac && [ "$owner" = root/root ] || echo "$perms $owner $path"
    done <<<"$listing")
    [ -z "$bad" ] || fail "$what holds files of other modes or owners: $bad"
    [ -n "$listing" ] || fail "$what is empty"
}

case $mode in
tree)
    # Installed under umask 077, the tree is still for every user to read.
    # (Its owner is whoever installed it, so only the modes count here.)
    (umask 077 && DESTDIR=$work/dest "$tool" --install "$build" --prefix /usr/local >/dev/null)
    check_layout "$work/dest/usr/local"
    check_modes "the installed tree" "$(cd "$work/dest/usr/local" && find . -printf '%M root/root 0 - - %p\n')" '^\./bin/'
    check_validators "$work/dest/usr/local"
    check_desktop_integration "$work/dest/usr/local"
    mv "$work/dest/usr/local" "$work/moved"
    check_completion "$work/moved"
    check_runs "$work/moved"
    ;;
packages)
    need dpkg-deb dpkg
    need dpkg-shlibdeps dpkg-dev
    need dpkg-parsechangelog dpkg-dev
    # Two builds of the packages, a second apart, from a SOURCE_DATE_EPOCH that
    # cpack takes from the last commit, the second under umask 077: the same
    # bytes, every time stamp that one, whatever the umask.
    for round in 1 2; do
        mask=$(umask)
        [ "$round" = 1 ] || mask=077
        (umask "$mask" && cd "$build" && env -u SOURCE_DATE_EPOCH "$tool" -G DEB -B "$work/pkg$round" &&
            env -u SOURCE_DATE_EPOCH "$tool" -G TGZ -B "$work/pkg$round") >"$work/cpack.log" 2>&1 ||
            fail "cpack: $(cat "$work/cpack.log")"
        (cd "$work/pkg$round" && sha256sum ./*.deb ./*.ddeb ./*.tar.gz) >"$work/sums$round"
        rm -rf "$work/pkg$round/_CPack_Packages"
        [ "$round" = 2 ] || sleep 1
    done
    diff "$work/sums1" "$work/sums2" || fail "two builds of the packages differ (the second under umask 077)"
    cat "$work/sums1"
    if [ -n "$same_as" ]; then
        diff "$work/sums1" <(cd "$same_as" && sha256sum ./*.deb ./*.ddeb ./*.tar.gz) ||
            fail "the packages built in $same_as differ from these"
        echo "The packages built in $same_as are the same."
    fi
    deb=$(echo "$work"/pkg2/zentory_*.deb) ddeb=$(echo "$work"/pkg2/zentory-dbgsym_*.ddeb)
    tgz=$(echo "$work"/pkg2/zentory-*.tar.gz)
    if epoch=$(git -C "$(dirname "$0")" log -1 --format=%ct 2>/dev/null); then
        times=$({ dpkg-deb --fsys-tarfile "$deb" | tar -t --full-time -v
                  gzip -dc "$tgz" | tar -t --full-time -v; } | awk '{ print $4 " " $5 }' | sort -u)
        [ "$times" = "$(date -u -d "@$epoch" '+%F %T')" ] ||
            fail "the packages' times are not the last commit's ($(date -u -d "@$epoch" '+%F %T')): $times"
    fi
    # package  its programs                          its files
    while read -r what programs files; do
        check_modes "the $what" "$(eval "$files" | tar -tv)" "$programs"
        check_modes "the $what" "$(eval "$files" | tar -tv --numeric-owner | sed 's| 0/0 | root/root |')" "$programs"
    done <<'TABLE'
.deb       ^\./usr/bin/[^/]+$                    dpkg-deb --fsys-tarfile "$deb"
.ddeb      ^$                                    dpkg-deb --fsys-tarfile "$ddeb"
.tgz       ^zentory-[^/]+-Linux/zentory(-cli)?$  gzip -dc "$tgz"
TABLE
    fields=$(dpkg-deb -f "$deb" Depends Recommends)
    for dep in libqt6widgets6 libqt6svg6 libicu72 libc6 'Recommends: qt6-translations-l10n, xdg-utils'; do
        grep -q "$dep" <<<"$fields" || fail "the package lacks $dep: $fields"
    done
    files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
    for file in ./usr/bin/zentory ./usr/bin/zentory-cli ./usr/share/zentory/config.ini \
        ./usr/share/man/man1/zentory.1.gz ./usr/share/applications/$id.desktop \
        ./usr/share/doc/zentory/copyright ./usr/share/doc/zentory/changelog.Debian.gz \
        ./usr/share/lintian/overrides/zentory; do
        grep -qx "$file" <<<"$files" || fail "the package lacks $file"
    done
    ! grep -v '^\./usr/' <<<"$files" | grep -qv '^\./$' || fail "the package holds files outside /usr"
    # The programs are stripped, and their debug symbols (when the build has
    # any) are in the -dbgsym package under their build ids; dpkg can verify
    # what both install.
    dpkg-deb -x "$deb" "$work/deb"
    dpkg-deb -x "$ddeb" "$work/dbgsym"
    for tree in deb:"$deb" dbgsym:"$ddeb"; do
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
    # The debug symbols carry the documents of the package they belong to.
    [ "$(readlink "$work/dbgsym/usr/share/doc/zentory-dbgsym")" = zentory ] &&
        [ "$(dpkg-deb -f "$ddeb" Source Depends)" = "$(printf 'Source: zentory\nDepends: zentory (= %s)' \
            "$(dpkg-deb -f "$deb" Version)")" ] || fail "the -dbgsym package's documents are not the package's"
    check_documents "$work/deb/usr"
    if have lintian lintian "lintian"; then
        # No error and no warning in either package; the informational tags
        # the package needs are overridden in it, each with its reason.
        # (The overridden tags are shown too, which also proves lintian looked.)
        lintian -EvI --pedantic --show-overrides "$deb" "$ddeb" >"$work/lintian.log" 2>&1 || true
        ! grep -E '^(E|W): ' "$work/lintian.log" || fail "lintian: $(grep -E '^(E|W|I|P): ' "$work/lintian.log")"
        grep -q '^O: zentory: ' "$work/lintian.log" || fail "lintian checked nothing: $(cat "$work/lintian.log")"
        grep -E '^(I|P|X|C|O): ' "$work/lintian.log" || true
    fi
    if [ -n "$hardened" ] && have hardening-check devscripts "hardening-check"; then
        # Debian 12's C start files carry no CET mark, so no program linked here
        # has one (nor do /bin/ls and dpkg); every other feature is required.
        hardening-check --nocfprotection "$work/deb/usr/bin/zentory" "$work/deb/usr/bin/zentory-cli" ||
            fail "hardening-check"
    fi
    # The archive is a portable folder: the shipped files beside the programs.
    tar -xzf "$tgz" -C "$work"
    portable=$(echo "$work"/zentory-*-Linux)
    [ "$(cd "$portable" && LC_ALL=C ls | tr '\n' ' ')" = "LICENSE config.ini help.html screenshots zentory zentory-cli zentorytrl.ini " ] ||
        fail "the archive holds: $(ls "$portable")"
    mkdir -p "$work/list" && touch "$work/list/a.txt"
    LC_ALL=C "$portable/zentory-cli" -d "$work/list" | grep -q '^Contents of' || fail "the portable CLI"
    ;;
esac
if ((${#skipped[@]})); then
    printf -v list '%s; ' "${skipped[@]}"
    echo "SKIP: $mode passed, but without ${list%; }"
    exit 77
fi
echo "OK: $mode"
