#!/usr/bin/env bash
# Times `gallery new` (modern theme, empty cache) on many camera-sized photos and prints its
# wall time, CPU time (user + system), CPU / wall and peak RSS, per photo as well, so that runs
# of 1,000 and 10,000 photos can be set side by side.
# The photos are made once from the wallpapers with vips: 12 to 24 megapixels (4000 x 3000,
# 4032 x 3024, 5472 x 3648, 6000 x 4000), landscape and portrait, every third progressive, at
# quality 92; each copy gets a comment of its own in its JPEG header, so that every photo has
# bytes of its own, as a camera's photos do, and none is found in the cache by its bytes.
#   bench/camera_scale.sh [--photos N] [--runs N] [--binary build-release/gallery] [--work DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
photos=1000
runs=1
binary=build-release/gallery
work=bench/results/camera-scale
while [ $# -gt 0 ]; do
  case "$1" in
    --photos) photos="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --binary) binary="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    *) echo "usage: $0 [--photos N] [--runs N] [--binary PATH] [--work DIR]" >&2; exit 1 ;;
  esac
done
command -v vips >/dev/null || { echo "vips is missing: apt-get install libvips-tools" >&2; exit 1; }
[ -x "$binary" ] || { echo "$binary is missing: build it first" >&2; exit 1; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
binary=$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")

if [ ! -e "$work/originals.done" ]; then
  # Each original is written under a temporary name first, so an interrupted run resumes.
  mkdir -p "$work/originals"
  sizes=("4000 3000" "4032 3024" "5472 3648" "6000 4000")
  n=0
  for source in /usr/share/wallpapers/*/contents/images/5120x2880.jpg \
                /usr/share/backgrounds/mate/nature/*.jpg; do
    [ -e "$source" ] || continue
    for size in "${sizes[@]}"; do
      read -r width height <<<"$size"
      interlace=""
      [ $((n % 3)) -eq 2 ] && interlace=",interlace"
      target="$work/originals/o$n.jpg"
      if [ ! -e "$target" ]; then
        if [ $((n % 2)) -eq 0 ]; then
          vips thumbnail "$source" "$target.tmp.jpg[Q=92,strip$interlace]" "$width" \
            --height "$height" --size force
        else
          vips thumbnail "$source" "$target.tmp.jpg[Q=92,strip$interlace]" "$height" \
            --height "$width" --size force
        fi
        mv "$target.tmp.jpg" "$target"
      fi
      n=$((n + 1))
    done
  done
  [ "$n" -gt 0 ] || { echo "no wallpapers: apt-get install plasma-workspace-wallpapers mate-backgrounds" >&2; exit 1; }
  touch "$work/originals.done"
fi

if [ "$(cat "$work/photos.count" 2>/dev/null)" != "$photos" ]; then
  rm -rf "$work/photos"
  mkdir -p "$work/photos"
  python3 - "$work" "$photos" <<'PY'
import glob, os, sys
work, total = sys.argv[1], int(sys.argv[2])
originals = [open(p, "rb").read() for p in sorted(glob.glob(work + "/originals/o*.jpg"))
             if ".tmp." not in p]
for i in range(total):
    jpeg = originals[i % len(originals)]
    comment = b"photo %d" % i
    segment = b"\xff\xfe" + (len(comment) + 2).to_bytes(2, "big") + comment
    with open("%s/photos/p%05d.jpg" % (work, i), "wb") as out:
        out.write(jpeg[:2] + segment + jpeg[2:])
PY
  echo "$photos" >"$work/photos.count"
fi

python3 - "$binary" "$work" "$photos" "$runs" <<'PY'
import os, shutil, statistics, subprocess, sys, time
binary, work, photos, runs = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
results = []
for run in range(runs):
    out, cache = work + "/gallery", work + "/cache"
    shutil.rmtree(out, ignore_errors=True)
    shutil.rmtree(cache, ignore_errors=True)
    # The collection file `gallery new` writes beside the gallery, which it never replaces.
    if os.path.exists(out + ".collection.xml"):
        os.remove(out + ".collection.xml")
    os.sync()
    env = dict(os.environ, XDG_CACHE_HOME=cache)
    start = time.perf_counter()
    process = subprocess.Popen([binary, "new", work + "/photos", out, "--title", "Scale",
                                "--quiet"], env=env)
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        sys.exit("gallery new failed: %d" % status)
    cpu = usage.ru_utime + usage.ru_stime
    made = len(os.listdir(out + "/images"))
    if made != photos:
        sys.exit("%d page images for %d photos" % (made, photos))
    results.append((wall, cpu, usage.ru_maxrss / 1024))
    print("run %d: wall %.1f s, CPU %.1f s, CPU/wall %.2f, peak RSS %.0f MB"
          % (run + 1, wall, cpu, cpu / wall, usage.ru_maxrss / 1024), file=sys.stderr)
wall = statistics.median(r[0] for r in results)
cpu = statistics.median(r[1] for r in results)
rss = max(r[2] for r in results)
print("| Photos | Wall s | CPU s | CPU / wall | Wall ms per photo | CPU ms per photo | Peak RSS MB |")
print("|---|---|---|---|---|---|---|")
print("| %d | %.1f | %.1f | %.2f | %.1f | %.1f | %.0f |"
      % (photos, wall, cpu, cpu / wall, 1000 * wall / photos, 1000 * cpu / photos, rss))
PY
