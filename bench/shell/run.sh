#!/usr/bin/env bash
# The program's two speed goals, measured:
#  1. its first window is on screen within 100 ms of the start (startup_probe: time to the
#     window's map and to its first drawing, median of RUNS starts, no arguments);
#  2. with the progress window on screen, a ZIP of 3000 small files extracts in under 1.25
#     times the headless time (batch_time: the batch alone, median of RUNS runs per mode, the
#     modes alternating, each run into a fresh folder of a freshly made ext4 file system).
# Usage (as root, for the loop mount; without it a temporary folder is used):
#   bench/shell/run.sh [BUILD_DIR] [RUNS]
# Runs under xvfb-run unless DISPLAY is already set.
set -euo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$src/build-bench-shell}
runs=${2:-7}

if [ -z "${DISPLAY:-}" ] && [ -z "${PUKONPA_BENCH_INNER:-}" ]; then
  exec env PUKONPA_BENCH_INNER=1 xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$runs"
fi

if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$build" -DPUKONPA_BENCH=ON > /dev/null
else
  cmake -S "$src" -B "$build" -DPUKONPA_BENCH=ON -DCMAKE_BUILD_TYPE=Release > /dev/null
fi
cmake --build "$build" --target pukonpa batch_time startup_probe -j2 > /dev/null
bin=$build/bin

work=$(mktemp -d)
mnt=$work/mnt
mkdir -p "$mnt"
cleanup() {
  mountpoint -q "$mnt" && umount "$mnt"
  rm -rf "$work"
}
trap cleanup EXIT

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

echo "== first window (ms from start; $runs starts)"
: > "$work/map"; : > "$work/drawn"
for i in $(seq "$runs"); do
  read -r map drawn < <("$bin/startup_probe" "$bin/pukonpa")
  echo "$map" >> "$work/map"; echo "$drawn" >> "$work/drawn"
done
echo "mapped: median $(median < "$work/map")  all: $(tr '\n' ' ' < "$work/map")"
echo "drawn:  median $(median < "$work/drawn")  all: $(tr '\n' ' ' < "$work/drawn")"

echo "== ZIP of 3000 small files (ms for the batch; $runs runs per mode)"
tree=$work/tree
for d in $(seq -w 0 29); do
  mkdir -p "$tree/dir$d"
  for f in $(seq -w 0 99); do
    printf 'file %s/%s: a small member of the benchmark archive\n%.0s' "$d" "$f" 1 2 3 \
      > "$tree/dir$d/file$f.txt"
  done
done
(cd "$tree" && zip -q -r -X "$work/many.zip" .)
echo "archive: $(stat -c %s "$work/many.zip") bytes, $(unzip -Z1 "$work/many.zip" | grep -vc '/$') files"

if [ "$(id -u)" = 0 ] && truncate -s 256M "$work/fs.img" && mkfs.ext4 -q -F "$work/fs.img" \
   && mount -o loop "$work/fs.img" "$mnt"; then
  echo "target: a fresh ext4 file system"
else
  echo "target: a temporary folder (no loop mount)"
fi

: > "$work/headless"; : > "$work/display"
for i in $(seq "$runs"); do
  for mode in headless display; do
    dest=$mnt/$mode$i
    mkdir -p "$dest"
    cp "$work/many.zip" "$dest/"
    sync
    if [ "$mode" = headless ]; then
      env -u DISPLAY "$bin/batch_time" headless "$dest/many.zip" >> "$work/headless"
    else
      "$bin/batch_time" display "$dest/many.zip" >> "$work/display"
    fi
    [ -f "$dest/dir29/file99.txt" ] || { echo "extraction incomplete in $dest" >&2; exit 1; }
    rm -rf "$dest"
  done
done
h=$(median < "$work/headless"); d=$(median < "$work/display")
echo "headless: median $h  all: $(tr '\n' ' ' < "$work/headless")"
echo "display:  median $d  all: $(tr '\n' ' ' < "$work/display")"
awk -v h="$h" -v d="$d" 'BEGIN {printf "display/headless: %.2f (goal < 1.25)\n", d / h}'
