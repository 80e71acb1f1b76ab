#!/bin/sh
# How start-up grows with the database: cold starts of the whole program process, from
# exec to an idle window with the database loaded, on a small and a large sample folder,
# alternated run by run; prints every run, then the medians and their ratio (large/small).
# Pin it for steadier figures: taskset -c 3 bench/startup_scale.sh build-bench
#   bench/startup_scale.sh [BUILD_DIR] [RUNS] [SMALL] [LARGE]
set -e
build=${1:-build-bench}
runs=${2:-5}
small=${3:-100000}
large=${4:-1000000}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
for n in "$small" "$large"; do
  mkdir -p "$root/$n"
  "$build/tools/make_sample" --out "$root/$n" --locations "$n" --zones 1000 --categories 50 >/dev/null 2>&1
  db=$(ls "$root/$n/database" | head -n 1)
  printf '#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=%s\r\n' "$db" > "$root/$n/pref.keep"
done
walls_small=""
walls_large=""
for i in $(seq "$runs"); do
  for n in "$small" "$large"; do
    # The program may rewrite its settings on the way out: every run starts from the same ones.
    cp "$root/$n/pref.keep" "$root/$n/pref.ini"
    line=$(QT_QPA_PLATFORM=offscreen /usr/bin/time -f "wall_s=%e cpu_s=%U+%S max_rss_kb=%M" "$build/bench/startup_bench" "$root/$n" 2>&1 \
      | grep -v XDG_RUNTIME | grep -v propagateSizeHints | tr '\n' ' ')
    echo "locations=$n $line"
    wall=$(echo "$line" | sed -n 's/.*wall_s=\([0-9.]*\).*/\1/p')
    if [ "$n" = "$small" ]; then walls_small="$walls_small $wall"; else walls_large="$walls_large $wall"; fi
  done
done
median() { echo "$@" | tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ms=$(median $walls_small)
ml=$(median $walls_large)
echo "median_wall_s $small=$ms $large=$ml ratio=$(echo "$ml $ms" | awk '{printf "%.2f", $1/$2}')"
