#!/bin/sh
# Reload of all data on a 1,000,000-location sample folder: first activation, then reloads
# (language or database switch) against it in the same run, then the time from the window
# closing to the end of the process.
#   bench/reload.sh [BUILD_DIR] [PASSES] [LOCATIONS]
set -e
build=${1:-build-bench}
passes=${2:-5}
locations=${3:-1000000}
folder=$(mktemp -d)
out=$(mktemp)
trap 'rm -rf "$folder" "$out"' EXIT
"$build/tools/make_sample" --out "$folder" --locations "$locations" --zones 1000 --categories 50 >/dev/null 2>&1
db=$(ls "$folder/database" | head -n 1)
printf '#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=%s\r\n' "$db" > "$folder/pref.ini"
QT_QPA_PLATFORM=offscreen "$build/bench/reload_bench" "$folder" "$passes" 2>&1 | grep -v -e XDG_RUNTIME -e 'does not support' > "$out"
gone=$(date +%s%N)
cat "$out"
closed=$(sed -n 's/^closed_at_ns=//p' "$out")
echo "exit_after_close_ms=$(( (gone - closed) / 1000000 )) (target <= 100)"
