#!/usr/bin/env bash
# The setup's pages speak the system's language: English, German or French,
# and English for any other. Started under each language (Wine takes it from
# LANG), the setup's window must carry that language's caption. Runs on a
# display of its own (with-display.sh), which ends the prefix's programs.
# Usage: setup-speaks-the-system-language.sh SETUP WINE_PREFIX RUNNER
set -euo pipefail
setup=$1 prefix=$2 runner=$3
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=$(command -v wineserver)

# LANG | the setup window's caption
rows=("en_US.UTF-8|Orvane Zentory Setup"
      "de_DE.UTF-8|Installation von Orvane Zentory"
      "fr_FR.UTF-8|Installation de Orvane Zentory"
      "it_IT.UTF-8|Orvane Zentory Setup")
captions() {
    local window
    for window in $(xdotool search --onlyvisible --name 'Orvane Zentory' 2>/dev/null); do
        xdotool getwindowname "$window" 2>/dev/null || true
    done | sed 's/ *$//'
}
for row in "${rows[@]}"; do
    IFS='|' read -r lang wanted <<<"$row"
    LANG=$lang LC_ALL=$lang "$runner" "$prefix" "$setup" </dev/null >/dev/null 2>&1 &
    started=$!
    shown=""
    for _ in $(seq 80); do
        shown=$(captions)
        [ -z "$shown" ] || break
        sleep 0.25
    done
    WINEPREFIX=$prefix "$server" -k </dev/null >/dev/null 2>&1 || true
    wait "$started" || true
    [ "$shown" = "$wanted" ] || { echo "$lang: the setup showed \"$shown\", not \"$wanted\""; exit 1; }
done
echo "the setup's pages in ${#rows[@]} system languages"
