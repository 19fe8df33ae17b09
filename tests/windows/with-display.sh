#!/usr/bin/env bash
# Runs a command that opens Wine windows on a virtual X server of its own,
# with openbox as the window manager: `with-display.sh PREFIX COMMAND...`.
# Wine's desktop belongs to the X display of the first window that the
# prefix's wineserver saw, and it dies with that display: the prefix's
# programs are ended before (a desktop left from an earlier display refuses
# new windows) and after (this one must not outlive its display). Tests that
# use it run alone, since they end what runs in the prefix.
set -euo pipefail
prefix=$1
shift
for tool in Xvfb openbox xdotool; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=$(command -v wineserver)
end_wine() {
    WINEPREFIX=$prefix "$server" -k </dev/null >/dev/null 2>&1 || true
    WINEPREFIX=$prefix "$server" -w </dev/null >/dev/null 2>&1 || true
}

pids=()
cleanup() {
    end_wine
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
end_wine

display=90
while [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
export DISPLAY=:$display
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox </dev/null >/dev/null 2>&1 &
pids+=($!)
"$@"
