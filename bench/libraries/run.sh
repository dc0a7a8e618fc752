#!/usr/bin/env bash
# Whole-process benchmark of our archiver libraries against the usual extractors.
#
#   sudo bench/libraries/run.sh [--quick] [BUILD_DIR]
#
# Generates its own input under $WORK (default /var/tmp/pukonpa-bench; never committed): a
# tree of many small files and a few large files of mixed compressible data, packed as ZIP
# (zip), LZH lh5 (jlha), CAB (gcab -z) and tar.gz (tar). Each archive is then extracted by
# drive_library (our library, as the drivers call it, with and without an owner window) and
# by bsdtar, unzip, lhasa, cabextract, GNU tar and 7zz, in alternation, each time onto a
# freshly made ext4 filesystem (an image file, loop-mounted), with the archive in page cache.
# Prints median wall and CPU times, our ratio to bsdtar, peak memory and progress overhead.
#
# Environment: QUICK=1 (same as --quick), RUNS (default 5, quick 3), WORK, IMG_DIR (where the
# filesystem image lives, default /dev/shm so the host disk adds no noise), SMALL_FILES,
# LARGE_MB (total of the large files), MANY_FILES (empty files of the memory check, whose
# archives are extracted once by us and bsdtar only; 0 skips it), SETS (default "small
# large"), FORMATS (default "zip lzh cab tgz").
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
quick=${QUICK:-0}
build=""
for arg in "$@"; do
  case $arg in
    --quick) quick=1 ;;
    -h|--help) sed -n '2,17p' "$0"; exit 0 ;;
    *) build=$arg ;;
  esac
done
build=${build:-$root/build-bench}
if [ "$quick" = 1 ]; then
  runs=${RUNS:-3}; small_files=${SMALL_FILES:-3000}; large_mb=${LARGE_MB:-60}
  many_files=${MANY_FILES:-20000}
else
  runs=${RUNS:-5}; small_files=${SMALL_FILES:-30000}; large_mb=${LARGE_MB:-440}
  many_files=${MANY_FILES:-150000}
fi
work=${WORK:-/var/tmp/pukonpa-bench}
img_dir=${IMG_DIR:-/dev/shm}

[ "$(id -u)" = 0 ] || { echo "run.sh: needs root (it mounts a filesystem image)" >&2; exit 1; }

# ---- tools ------------------------------------------------------------------------------
need=()
for pair in time:/usr/bin/time zip:zip jlha-utils:jlha gcab:gcab libarchive-tools:bsdtar \
            unzip:unzip lhasa:lhasa cabextract:cabextract 7zip:7zz e2fsprogs:mkfs.ext4 \
            python3:python3; do
  command -v "${pair#*:}" >/dev/null || need+=("${pair%%:*}")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "run.sh: installing ${need[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

drive=$build/bin/drive_library
if [ ! -x "$drive" ]; then
  cmake -S "$root" -B "$build" -DPUKONPA_BENCH=ON -DPUKONPA_TESTS=OFF >/dev/null
  cmake --build "$build" --target drive_library -j2
fi

# ---- input ------------------------------------------------------------------------------
mkdir -p "$work"
stamp="files=$small_files large_mb=$large_mb many=$many_files v2"
if [ "$(cat "$work/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "run.sh: generating $small_files small files and ${large_mb} MB of large files in $work"
  rm -rf "$work/src" "$work/arc" "$work/stamp"
  mkdir -p "$work/src" "$work/arc"
  python3 - "$work/src" "$small_files" "$large_mb" <<'PY'
import os, random, sys
out, nsmall, large_mb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(20261211)
words = [''.join(rng.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(rng.randint(2, 9)))
         for _ in range(2000)]
def text(n):
    parts, size = [], 0
    while size < n:
        w = rng.choice(words) + (' ' if rng.random() < 0.9 else '\n')
        parts.append(w); size += len(w)
    return ''.join(parts).encode()[:n]
def records(n):
    rows, size = [], 0
    while size < n:
        r = b'%08d,%s,%d.%02d\n' % (rng.randint(0, 10**7), rng.choice(words).encode(),
                                    rng.randint(0, 9999), rng.randint(0, 99))
        rows.append(r); size += len(r)
    return b''.join(rows)[:n]
# Small files: 0-8 KB, most text, some random, in folders three levels deep.
small = os.path.join(out, 'small')
for i in range(nsmall):
    d = os.path.join(small, 'd%02d' % (i % 20), 'e%02d' % (i // 20 % 15), 'f%d' % (i // 300 % 7))
    os.makedirs(d, exist_ok=True)
    n = rng.randint(0, 8192)
    data = rng.randbytes(n) if rng.random() < 0.2 else text(n)
    with open(os.path.join(d, 'file%05d.%s' % (i, rng.choice(['txt', 'dat', 'c', 'html']))), 'wb') as f:
        f.write(data)
# Large files: 64 KB chunks of random bytes, text, records or zeros; pools keep it quick.
large = os.path.join(out, 'large')
os.makedirs(large, exist_ok=True)
pool_text = [text(65536) for _ in range(48)]
pool_rec = [records(65536) for _ in range(48)]
zeros = bytes(65536)
shares = [0.36, 0.27, 0.18, 0.11, 0.08]
for k, share in enumerate(shares):
    chunks = int(large_mb * 16 * share)
    with open(os.path.join(large, 'part%d.bin' % k), 'wb') as f:
        for _ in range(chunks):
            r = rng.random()
            if r < 0.35: f.write(rng.randbytes(65536))
            elif r < 0.75: f.write(rng.choice(pool_text))
            elif r < 0.95: f.write(rng.choice(pool_rec))
            else: f.write(zeros)
PY
  for set in small large; do
    echo "run.sh: packing $set"
    (cd "$work/src" && zip -q -r -X "$work/arc/$set.zip" "$set")
    (cd "$work/src" && jlha a2o5 "$work/arc/$set.lzh" "$set" >/dev/null)
    (cd "$work/src" && gcab -c -z "$work/arc/$set.cab" "$set")
    (cd "$work/src" && tar -czf "$work/arc/$set.tgz" "$set")
  done
  # Memory check: many empty files in 1,000 folders, written straight into the archives.
  python3 - "$work/arc" "$many_files" <<'PY'
import io, sys, tarfile, zipfile
out, n = sys.argv[1], int(sys.argv[2])
names = ['many/d%03d/f%06d.txt' % (i % 1000, i) for i in range(n)]
with zipfile.ZipFile(out + '/many.zip', 'w') as z:
    for name in names:
        z.writestr(zipfile.ZipInfo(name, (2026, 12, 11, 0, 0, 0)), b'')
with tarfile.open(out + '/many.tgz', 'w:gz', format=tarfile.GNU_FORMAT) as t:
    for name in names:
        t.addfile(tarfile.TarInfo(name), io.BytesIO(b''))
PY
  echo "$stamp" >"$work/stamp"
fi
ls -l "$work/arc"

# ---- a fresh filesystem for every extraction -----------------------------------------------
img=$img_dir/pukonpa-bench.img
mnt=$work/mnt
mkdir -p "$mnt"
loop=""
cleanup() {
  mountpoint -q "$mnt" && umount "$mnt"
  [ -n "$loop" ] && losetup -d "$loop"
  rm -f "$img"
}
trap cleanup EXIT
truncate -s $(( large_mb * 3 + 1024 ))M "$img"
loop=$(losetup --find --show "$img")
fresh_fs() {
  mountpoint -q "$mnt" && umount "$mnt"
  # Discarding frees the image's pages, so every tool starts from the same empty image; -N
  # leaves room for the memory check's many files.
  mkfs.ext4 -q -F -N $(( many_files + small_files + 100000 )) \
    -E lazy_itable_init=1,lazy_journal_init=1 "$loop"
  mount "$loop" "$mnt"
  mkdir "$mnt/out"
}

# The command of each tool for a format; the destination folder exists and is empty.
command_for() { # TOOL FORMAT ARCHIVE DEST
  local tool=$1 fmt=$2 arc=$3 dest=$4
  case $tool in
    pukonpa) echo "$drive $fmt $arc $dest" ;;
    pukonpa+owner) echo "$drive --owner $fmt $arc $dest" ;;
    bsdtar) echo "bsdtar -xf $arc -C $dest" ;;
    unzip) echo "unzip -q -o $arc -d $dest" ;;
    lhasa) echo "lhasa xq2fw=$dest $arc" ;;
    cabextract) echo "cabextract -q -d $dest $arc" ;;
    gnutar) echo "tar -xzf $arc -C $dest" ;;
    7zz) echo "7zz x -y -bd -bso0 -bsp0 -o$dest $arc" ;;
  esac
}
tools_for() {
  case $1 in
    zip) echo "pukonpa pukonpa+owner bsdtar unzip 7zz" ;;
    lzh) echo "pukonpa pukonpa+owner bsdtar lhasa 7zz" ;;
    cab) echo "pukonpa pukonpa+owner bsdtar cabextract 7zz" ;;
    tgz) echo "pukonpa pukonpa+owner bsdtar gnutar" ;;
  esac
}
family_of() { case $1 in lzh) echo lha ;; *) echo "$1" ;; esac; }

results=$work/results.tsv
printf 'set\tformat\ttool\trun\twall_s\tcpu_s\tmaxrss_kb\trc\tload1\n' >"$results"
failures=0

# One timed extraction onto a fresh filesystem; appends a row to $results.
extract() { # SET FORMAT TOOL RUN
  local set=$1 fmt=$2 tool=$3 run=$4 arc=$work/arc/$1.$2 cmd load t0 t1 rc user sys rss wall cpu
  fresh_fs
  cat "$arc" >/dev/null  # archive in page cache
  cmd=$(command_for "$tool" "$(family_of "$fmt")" "$arc" "$mnt/out")
  load=$(cut -d' ' -f1 /proc/loadavg)
  t0=$EPOCHREALTIME
  set +e
  # shellcheck disable=SC2086
  /usr/bin/time -f '%U %S %M' -o "$work/time.txt" $cmd >"$work/out.txt" 2>"$work/err.txt"
  rc=$?
  set -e
  t1=$EPOCHREALTIME
  # time writes a "Command exited with non-zero status" line first when the tool fails.
  read -r user sys rss < <(tail -n 1 "$work/time.txt") || { user=0; sys=0; rss=0; }
  wall=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
  cpu=$(awk -v a="$user" -v b="$sys" 'BEGIN { printf "%.2f", a + b }')
  if [ "$rc" != 0 ]; then
    failures=$((failures + 1))
    echo "run.sh: $tool on $set.$fmt exited $rc: $(head -c 300 "$work/err.txt")" >&2
  fi
  # Our output is checked once per archive: against the source, or by counting.
  if [ "$run" = 1 ] && [ "$tool" = pukonpa ] && [ "$rc" = 0 ]; then
    if [ "$set" = many ]; then
      local got
      got=$(find "$mnt/out/many" -type f | wc -l)
      [ "$got" = "$many_files" ] || { failures=$((failures + 1)); echo "run.sh: $set.$fmt gave $got files" >&2; }
    elif ! diff -r -q "$work/src/$set" "$mnt/out/$set" >"$work/diff.txt" 2>&1; then
      failures=$((failures + 1))
      echo "run.sh: our extraction of $set.$fmt differs from the source:" >&2
      head -5 "$work/diff.txt" >&2
    fi
  fi
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$set" "$fmt" "$tool" "$run" "$wall" \
    "$cpu" "$rss" "$rc" "$load" >>"$results"
  printf '  run %d %-5s %-3s %-13s %7.3f s  cpu %6.2f s  %6d KB  load %s\n' "$run" "$set" \
    "$fmt" "$tool" "$wall" "$cpu" "$rss" "$load"
}

echo "run.sh: $runs runs, $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg) at start"
for run in $(seq 1 "$runs"); do
  for set in ${SETS:-small large}; do
    for fmt in ${FORMATS:-zip lzh cab tgz}; do
      read -r -a tools <<<"$(tools_for "$fmt")"
      n=${#tools[@]}
      for i in $(seq 0 $((n - 1))); do
        extract "$set" "$fmt" "${tools[$(( (i + run) % n ))]}" "$run"  # a different order each run
      done
    done
  done
done
[ "$many_files" -gt 0 ] && echo "run.sh: memory check, $many_files empty files"
for fmt in $([ "$many_files" -gt 0 ] && echo zip tgz); do
  for tool in pukonpa bsdtar; do extract many "$fmt" "$tool" 1; done
done
echo "run.sh: load $(cut -d' ' -f1-3 /proc/loadavg) at end; raw results in $results"

# ---- summary ----------------------------------------------------------------------------
awk -F'\t' '
function median(list,   v, n, i, j, t) {
  n = split(list, v, " ")
  for (i = 2; i <= n; i++) { t = v[i] + 0; for (j = i - 1; j >= 1 && v[j] + 0 > t; j--) v[j + 1] = v[j]; v[j + 1] = t }
  return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
}
NR > 1 {
  k = $1 SUBSEP $2 SUBSEP $3
  if (!(k in wall)) order[++nk] = k
  wall[k] = wall[k] " " $5; cpu[k] = cpu[k] " " $6
  if ($7 + 0 > rss[k]) rss[k] = $7 + 0
  if ($9 + 0 > maxload) maxload = $9 + 0
}
END {
  printf "\n%-6s %-4s %-14s %9s %9s %9s %10s %10s\n", "set", "fmt", "tool", "wall_s", "cpu_s", "maxrss_MB", "wall/bsdtar", "cpu/bsdtar"
  for (i = 1; i <= nk; i++) {
    split(order[i], p, SUBSEP); b = p[1] SUBSEP p[2] SUBSEP "bsdtar"
    mw = median(wall[order[i]]); mc = median(cpu[order[i]]); bw = median(wall[b]); bc = median(cpu[b])
    printf "%-6s %-4s %-14s %9.3f %9.2f %9.1f %10.3f %10.3f\n", p[1], p[2], p[3], mw, mc, rss[order[i]] / 1024, mw / bw, (bc > 0 ? mc / bc : 0)
  }
  print "\nGoals (medians): ratio to bsdtar <= 1.05, peak memory < 32 MB, progress overhead < 5%"
  for (i = 1; i <= nk; i++) {
    split(order[i], p, SUBSEP)
    if (p[3] != "pukonpa") continue
    k = order[i]; b = p[1] SUBSEP p[2] SUBSEP "bsdtar"; o = p[1] SUBSEP p[2] SUBSEP "pukonpa+owner"
    r = median(wall[k]) / median(wall[b]); m = rss[k] > rss[o] ? rss[k] : rss[o]
    printf "%-6s %-4s ratio %.3f %s  peak %.1f MB %s", p[1], p[2],
      r, (r <= 1.05 ? "ok  " : "MISS"), m / 1024, (m < 32768 ? "ok  " : "MISS")
    if (o in wall) {
      ov = (median(wall[o]) / median(wall[k]) - 1) * 100
      printf "  progress %+.1f%% %s", ov, (ov < 5 ? "ok" : "MISS")
    }
    printf "\n"
  }
  printf "highest 1-minute load average seen before a timed run: %.2f\n", maxload
}' "$results"
[ "$failures" = 0 ] || { echo "run.sh: $failures failed or wrong extractions" >&2; exit 1; }
