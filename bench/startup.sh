#!/bin/sh
# Cold start and resident memory of the program on the 100,000-location sample folder.
#   bench/startup.sh BUILD_DIR [RUNS]
set -e
build=${1:-build-bench}
runs=${2:-5}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$build/tools/make_sample" --out "$folder" --locations 100000 --zones 1000 --categories 50 >/dev/null 2>&1
db=$(ls "$folder/database" | head -n 1)
printf '#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=%s\r\n' "$db" > "$folder/pref.ini"
for i in $(seq "$runs"); do
  cp "$folder/pref.ini" "$folder/pref.keep"
  QT_QPA_PLATFORM=offscreen /usr/bin/time -f "wall_s=%e max_rss_kb=%M" "$build/bench/startup_bench" "$folder" 2>&1 \
    | grep -v XDG_RUNTIME | grep -v propagateSizeHints | tr '\n' ' '
  echo
  mv "$folder/pref.keep" "$folder/pref.ini"
done
