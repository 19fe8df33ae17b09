#!/usr/bin/env bash
# The release packages as someone else would make them from this checkout:
#   build-elsewhere.sh BUILD_DIR OUT_DIR
# copies the checkout's files as they stand into a fresh folder under /tmp,
# then configures, builds and packs the release preset there under umask 077
# as the user "zentory-build" (made when missing; as the current user when
# not run as root), and leaves the .deb, .ddeb and .tar.gz in OUT_DIR.
# check-install.sh --same-as OUT_DIR compares them with the packages of the
# usual build in BUILD_DIR: neither the folder, the user, the umask nor the
# checkout's file modes may change a byte of them.
set -euo pipefail
build=$1 out=$2
checkout=$(cd "$(dirname "$0")/../.." && pwd)
user=zentory-build
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# The files of the checkout as they stand: what git tracks or would track,
# or outside a git checkout everything but the build folders.
files() {
    cd "$checkout"
    if git rev-parse --git-dir >/dev/null 2>&1; then
        git ls-files -z --cached --others --exclude-standard |
            while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done
    else
        find . -path ./build -prune -o ! -type d -print0
    fi
}
work=$(mktemp -d /tmp/zentory-elsewhere.XXXXXX)
trap 'rm -rf "$work"' EXIT
as_builder=() builder=$(id -un)
if [ "$(id -u)" = 0 ]; then
    id "$user" >/dev/null 2>&1 ||
        useradd --system --user-group --no-create-home --home-dir /nonexistent \
            --shell /usr/sbin/nologin "$user"
    chown "$user:" "$work"
    as_builder=(setpriv --reuid="$user" --regid="$user" --clear-groups)
    builder=$user
fi

# cpack takes the time stamp from the last commit; the copy has no history.
epoch=()
stamp=$(git -C "$checkout" log -1 --format=%ct 2>/dev/null) && epoch=(SOURCE_DATE_EPOCH="$stamp")
# A clean environment, but the caller's compiler launcher: ccache hands the
# compiler the paths below its base folder relative to the build folder, and
# those stand in the debug information, so both builds must go through it
# alike. (A cache of its own: the caller's would give no hit, as the source
# folder is part of the flags.)
launch=()
launcher=$(sed -n 's/^CMAKE_CXX_COMPILER_LAUNCHER:[A-Z]*=//p' "$build/CMakeCache.txt")
if [[ $launcher == *ccache* ]]; then
    launch=(CMAKE_CXX_COMPILER_LAUNCHER="$launcher" CCACHE_DIR="$work/ccache")
    base=$(ccache -k base_dir)
    [[ -z $base || $checkout/ != "${base%/}"/* ]] || launch+=(CCACHE_BASEDIR="$work/src")
fi
(files | tar -C "$checkout" --null -T - -c) |
    "${as_builder[@]}" env -i PATH="$PATH" HOME="$work" LC_ALL=C.UTF-8 "${epoch[@]}" "${launch[@]}" bash -c '
        set -euo pipefail
        umask 077
        mkdir "$1/src" && cd "$1/src"
        tar -x --no-same-permissions --no-same-owner
        cmake --preset release -DZENTORY_WERROR=ON >"$1/log" 2>&1
        cmake --build --preset release -- -j"$(nproc)" >>"$1/log" 2>&1
        cpack --preset release >>"$1/log" 2>&1' _ "$work" ||
    fail "the build elsewhere: $(tail -n 30 "$work/log" 2>/dev/null)"
rm -rf "$out"
mkdir -p "$out"
cp "$work"/src/build/release/packages/*.deb "$work"/src/build/release/packages/*.ddeb \
    "$work"/src/build/release/packages/*.tar.gz "$out"
echo "OK: packages built in $work/src as $builder under umask 077"
