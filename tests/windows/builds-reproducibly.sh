#!/usr/bin/env bash
# Two builds of the Windows programs in two folders give the same bytes: the
# portable zip and the setup program. The second build (programs and setup,
# no tests) is made from the windows preset in SECOND; the compiler cache
# makes it cheap. Every date in both is the last commit's time (or
# SOURCE_DATE_EPOCH), none the time of either build.
# Usage: tests/windows/builds-reproducibly.sh FIRST_BUILD SECOND_BUILD
set -euo pipefail
first=$(realpath "$1")
second=$(realpath -m "$2")
cd "$(dirname "$0")/../.."

cmake --preset windows -B "$second" -DBUILD_TESTING=OFF >/dev/null
# The first again too: a commit since its last build dates its files anew.
for build in "$first" "$second"; do cmake --build "$build" -- -j2 >/dev/null; done
sums=()
for build in "$first" "$second"; do
    rm -rf "$build/reproducible"
    (cd "$build" && cpack -G ZIP -B "$build/reproducible" >/dev/null)
    cp "$build"/zentory-setup-*-x64.exe "$build/reproducible/"
    sums+=("$(cd "$build/reproducible" && sha256sum zentory-*.zip zentory-setup-*-x64.exe)")
done
if [ "${sums[0]}" != "${sums[1]}" ]; then
    echo "two builds of the Windows packages differ:"
    diff <(echo "${sums[0]}") <(echo "${sums[1]}") || true
    exit 1
fi
echo "${sums[0]}"
