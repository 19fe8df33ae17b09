#!/usr/bin/env bash
# Runs a Windows program under Wine for the tests: `wine-run.sh PREFIX PROGRAM
# [ARGS...]`. The Wine prefix PREFIX (under the build folder) is made on first
# use, so nothing depends on the machine's own ~/.wine. Wine's background
# services are started here with their output away from the caller's pipes:
# they would otherwise hold ctest's pipe open and slow every test down.
set -eu
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=$(command -v wineserver)
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/system.reg" ]; then
            "$wine" wineboot -i </dev/null >/dev/null 2>&1
            "$server" -w
        fi
    ) 9>"$prefix.lock"
fi
"$server" -p30 </dev/null >/dev/null 2>&1 || true
"$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1
exec "$wine" "$@"
