#!/bin/sh
# Reload of all data on the 100,000-location sample folder: first activation, then ten reloads.
#   bench/reload.sh BUILD_DIR
set -e
build=${1:-build-bench}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$build/tools/make_sample" --out "$folder" --locations 100000 --zones 1000 --categories 50 >/dev/null 2>&1
db=$(ls "$folder/database" | head -n 1)
printf '#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=%s\r\n' "$db" > "$folder/pref.ini"
QT_QPA_PLATFORM=offscreen "$build/bench/reload_bench" "$folder" 10 2>&1 | grep -v -e XDG_RUNTIME -e 'does not support'
