#!/usr/bin/env bash
# Sets up a Debian 12 machine for Orvane Zentory, builds it, and then either
# starts the window (`./build.sh run`) or runs every test (`./build.sh test`).
set -euo pipefail
cd "$(dirname "$0")"

# What building and running need; the tests, the tools, the packages' checks
# and the Windows programs (cross-built, tested under Wine) need the rest as well.
packages=(cmake ninja-build g++ pkg-config libicu-dev libcli11-dev
          qt6-base-dev qt6-svg-dev qt6-translations-l10n librsvg2-bin)
test_packages=(libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev acl
               desktop-file-utils libglib2.0-bin appstream man-db dpkg-dev
               lintian devscripts xvfb xauth python3
               g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 googletest nsis
               icoutils openbox xdotool x11-apps x11-utils imagemagick
               python3-pyatspi at-spi2-core dbus-daemon)
setup() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
    fi
}

# Runs every fuzz target for a bounded time from its seed corpus; any finding
# fails. The targets share three minutes unless ZENTORY_FUZZ_SECONDS sets the
# time of each.
fuzz() {
    local out=build/fuzz targets=(build/fuzz/tests/fuzz/fuzz_*)
    local seconds=${ZENTORY_FUZZ_SECONDS:-$((180 / ${#targets[@]}))}
    mkdir -p "$out/artifacts"
    for target in "${targets[@]}"; do
        local name
        name=$(basename "$target")
        mkdir -p "$out/corpus/$name"
        echo "Fuzzing $name for ${seconds}s"
        "$target" -max_total_time="$seconds" -max_len=8192 -timeout=10 -print_final_stats=0 \
            -artifact_prefix="$out/artifacts/$name-" "$out/corpus/$name" "tests/fuzz/corpus/$name" \
            2>"$out/$name.log" || { tail -n 40 "$out/$name.log"; return 1; }
        grep -E '^Done' "$out/$name.log" || true
    done
}

# Configures and builds preset $1; further arguments go to the configure step.
build() {
    local preset=$1
    shift
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset"
}

case "${1:-run}" in
run)
    setup "${packages[@]}"
    # The programs and what they install, no tests and no tools, so no
    # GoogleTest either; `./build.sh test` turns both on again.
    cmake --preset dev -DBUILD_TESTING=OFF -DZENTORY_BUILD_TOOLS=OFF >/dev/null
    cmake --build --preset dev
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        echo "No display: the window cannot open here. Use build/dev/zentory-cli --help instead."
        exit 1
    fi
    exec build/dev/zentory
    ;;
test)
    setup "${packages[@]}" "${test_packages[@]}"
    build dev
    ctest --preset dev
    build asan
    ctest --preset asan
    # The Windows programs, cross-built and tested under Wine.
    build windows
    ctest --preset windows -j2
    build fuzz
    fuzz
    # The programs as they are shipped: Debian's hardened flags (with which
    # they must build without a warning), then the packages built twice and
    # checked as a maintainer would, and once more from a copy of the
    # checkout elsewhere, as another user under umask 077: the same bytes.
    build release -DZENTORY_WERROR=ON
    tests/install/build-elsewhere.sh build/release build/release-elsewhere
    tests/install/check-install.sh packages build/release cpack --hardened \
        --same-as build/release-elsewhere
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
