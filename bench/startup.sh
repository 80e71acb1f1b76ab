#!/bin/sh
# Cold start of the whole program process, from exec to an idle window with the database
# loaded, on a sample folder: each run once with the progress bar shown and once with it
# kept from painting (the baseline), alternated; prints every run, then the medians and
# their ratio. Pin it for steadier figures: taskset -c 3 bench/startup.sh build
#   bench/startup.sh BUILD_DIR [RUNS] [LOCATIONS]
set -e
build=${1:-build-bench}
runs=${2:-5}
locations=${3:-100000}
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
"$build/tools/make_sample" --out "$folder" --locations "$locations" --zones 1000 --categories 50 >/dev/null 2>&1
db=$(ls "$folder/database" | head -n 1)
printf '#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=%s\r\n' "$db" > "$folder/pref.ini"
cp "$folder/pref.ini" "$folder/pref.keep"
on=""
off=""
for i in $(seq "$runs"); do
  for mode in on off; do
    cp "$folder/pref.keep" "$folder/pref.ini"
    flag=""
    [ "$mode" = off ] && flag="--progress-off"
    line=$(QT_QPA_PLATFORM=offscreen /usr/bin/time -f "wall_s=%e max_rss_kb=%M" "$build/bench/startup_bench" "$folder" $flag 2>&1 \
      | grep -v XDG_RUNTIME | grep -v propagateSizeHints | tr '\n' ' ')
    echo "progress_$mode $line"
    wall=$(echo "$line" | sed -n 's/.*wall_s=\([0-9.]*\).*/\1/p')
    if [ "$mode" = on ]; then on="$on $wall"; else off="$off $wall"; fi
  done
done
median() { echo "$@" | tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
mon=$(median $on)
moff=$(median $off)
echo "locations=$locations median_wall_s progress_on=$mon progress_off=$moff ratio=$(echo "$mon $moff" | awk '{printf "%.2f", $1/$2}')"
