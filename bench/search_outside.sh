#!/bin/sh
# The first search at 1,000,000 locations as a user sees it: the program started in a sample
# folder under a virtual X server with openbox, left until it is idle after its load, the
# search page opened and "ou" typed (381,783 results), then a click on the search button and
# the time until the result list's pixels change (bench/screen_watch.c, compiled here). Runs
# alternate with a baseline program when one is given. The program runs pinned to core CORE
# (default 5), the server and the watcher elsewhere: do not pin the script itself.
#   bench/search_outside.sh BUILD_DIR [RUNS] [CORE] [BASELINE_PROGRAM]
# The points clicked are those of the window at 1200 x 800 as pref.ini places it here; the
# screen after the last run is kept in search_outside.png to check them.
set -e
build=${1:-build-bench}
runs=${2:-3}
core=${3:-5}
baseline=$4
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gcc -O2 -o "$work/screen_watch" "$root/bench/screen_watch.c" -lX11 -ldl
folder=$work/folder
"$build/tools/make_sample" --out "$folder" --locations 1000000 --zones 10000 --categories 50 >/dev/null 2>&1
db=$(ls "$folder/database" | head -n 1)
printf '#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=%s\r\n[DATU]=4\r\n[MAPW]=1200\r\n[MAPH]=800\r\n[MAPT]=30\r\n[MAPL]=20\r\n' \
  "$db" > "$folder/pref.keep"
cp "$build/src/shell/vmarplotter" "$folder/vmarplotter"
[ -n "$baseline" ] && cp "$baseline" "$folder/vmarplotter-baseline"
cat > "$work/one.sh" <<'INNER'
#!/bin/sh
# One run inside the virtual server: $1 the folder, $2 the program's file name, $3 the watcher,
# $4 the program's core.
cd "$1"
cp pref.keep pref.ini
openbox >/dev/null 2>&1 & wm=$!
sleep 1
taskset -c "$4" ./"$2" >/dev/null 2>&1 & pid=$!
idle() { # until the process used no CPU for 0.3 s
  prev=-1
  while :; do
    t=$(awk '{print $14+$15}' /proc/$pid/stat)
    [ "$t" = "$prev" ] && break
    prev=$t; sleep 0.3
  done
}
sleep 1.5; idle
xdotool mousemove 1167 69 click 1   # the search page
sleep 0.3
xdotool type ou
sleep 0.3; idle; sleep 0.5
"$3" 965 556 236 268 1166 487 | head -n 1   # the result list; the search button
import -window root ../search_outside.png
kill -TERM $pid; wait $pid; kill $wm
INNER
chmod +x "$work/one.sh"
for i in $(seq "$runs"); do
  for program in vmarplotter-baseline vmarplotter; do
    [ -x "$folder/$program" ] || continue
    sleep 2 # the server of the run before gone
    echo "$program $(xvfb-run -a -s '-screen 0 1280x900x24' "$work/one.sh" "$folder" "$program" "$work/screen_watch" "$core")"
  done
done
cp "$work/search_outside.png" . 2>/dev/null || true
