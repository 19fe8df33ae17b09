#!/usr/bin/env bash
# Sets up a Debian 12 machine for Orvane Zentory, builds it, and then either
# starts the window (`./build.sh run`), runs every test (`./build.sh test`),
# or runs a contributor's quick loop (`./build.sh check`): the dev build of
# what the fast tests need, and those tests.
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
               python3-pyatspi at-spi2-core dbus-daemon tree python3-html5lib)
# What the fast tests need beyond building.
check_packages=(libgtest-dev python3 acl clang-format)
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

# The files and modes below `home`, and the settings file's checksum.
home_print() {
    (cd "$1" && find . -printf '%p %m %s\n' | sort && sha256sum .config/zentory/config.ini)
}

# Runs the dev suite with HOME on a canary: a read-only folder holding a
# user's settings. The tests must leave it as it was, whoever runs them and
# whatever HOME says; XDG_CONFIG_HOME is unset so that HOME is where the
# settings would go.
canary_suite() {
    local home before after status=0
    home=$(mktemp -d)
    mkdir -p "$home/.config/zentory"
    printf 'Product ID\r\nzentory\r\nLanguage\r\n[1031]\r\n' >"$home/.config/zentory/config.ini"
    chmod -R a-w "$home"
    before=$(home_print "$home")
    env -u XDG_CONFIG_HOME HOME="$home" ctest --preset dev || status=$?
    after=$(home_print "$home")
    chmod -R u+w "$home"
    rm -rf "$home"
    if [ "$before" != "$after" ]; then
        echo "The tests changed the home they were given:"
        diff <(echo "$before") <(echo "$after") || true
        return 1
    fi
    return "$status"
}

# Builds and runs the whole suite as a distribution does: the build type
# None, Debian's flags from dpkg-buildflags, installed below /usr, warnings
# left as warnings, by an ordinary user with a throw-away home, in a build
# folder of that user's own. Cases that need root are skipped, and ctest
# lists them.
distro_suite() {
    local user=zentory-build dir=build/distro home start status=0
    id -u "$user" >/dev/null 2>&1 ||
        useradd --system --user-group --no-create-home --shell /usr/sbin/nologin "$user"
    mkdir -p "$dir"
    chown -R "$user:$user" "$dir"
    home=$(mktemp -d)
    chown "$user:$user" "$home"
    local flags
    flags=$(DEB_BUILD_MAINT_OPTIONS= dpkg-buildflags --export=sh)
    # As the user, with the flags and nothing else of root's build: no ccache
    # of root's, no settings folder.
    local as=(setpriv "--reuid=$user" "--regid=$user" --init-groups
              env -u XDG_CONFIG_HOME -u CMAKE_CXX_COMPILER_LAUNCHER -u CMAKE_C_COMPILER_LAUNCHER
              "HOME=$home" "USER=$user" "LOGNAME=$user")
    start=$SECONDS
    (
        eval "$flags"
        # CMake takes no CPPFLAGS; debhelper puts them before the compile flags.
        export CFLAGS="$CPPFLAGS $CFLAGS" CXXFLAGS="$CPPFLAGS $CXXFLAGS"
        "${as[@]}" cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=None \
            -DCMAKE_INSTALL_PREFIX=/usr -DZENTORY_BUILD_GUI=ON -DBUILD_TESTING=ON \
            -DZENTORY_WERROR=OFF >/dev/null
        "${as[@]}" cmake --build "$dir" -- -j2
    ) || status=$?
    echo "Distribution-style build as $user: $((SECONDS - start)) s"
    if [ "$status" -eq 0 ]; then
        start=$SECONDS
        "${as[@]}" ctest --test-dir "$dir" --output-on-failure --timeout 600 || status=$?
        echo "Its tests as $user: $((SECONDS - start)) s"
    fi
    rm -rf "$home"
    return "$status"
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
    canary_suite
    distro_suite
    build asan
    ctest --preset asan
    # The Windows programs, cross-built and tested under Wine. The window's
    # scripts drive Wine's windows with xdotool, where a loaded machine now
    # and then loses a key: a test passes when one of two runs passes.
    build windows
    ctest --preset windows -j2 --repeat until-pass:2
    # A second build in another folder: the same zip and setup, byte for byte.
    tests/windows/builds-reproducibly.sh build/windows build/windows-again
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
check)
    # The tests labelled fast (the core, the window logic, the CLI, the
    # layering and the layout) and only what they need built: no window, no
    # Windows programs, no packages. Extra arguments go to ctest, such as
    # `-R Name` or `-j2`.
    shift
    setup "${packages[@]}" "${check_packages[@]}"
    cmake --preset dev >/dev/null
    cmake --build --preset dev --target core_tests cli_tests window_tests zentory-cli
    ctest --preset dev -L fast "$@"
    ;;
distro)
    # The distribution-style build and its tests alone.
    setup "${packages[@]}" "${test_packages[@]}"
    distro_suite
    ;;
*)
    echo "usage: $0 [run|test|check|distro]" >&2
    exit 2
    ;;
esac
