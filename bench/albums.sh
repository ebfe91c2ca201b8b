#!/usr/bin/env bash
# Times `gallery new` over a photo library kept as a tree of folders (albums of several depths)
# against the same photos in one flat folder, then `gallery update` with nothing changed, and
# takes the peak memory of each. Every photo is small (made with vips) but of its own bytes, so
# that no image is found in the cache under another photo's name. Prints medians of --runs N.
#   bench/albums.sh [--runs N] [--photos N] [--albums N] [--binary build/gallery] [--work DIR]
# Run with --photos 1000 and --photos 10000 to see how the time grows.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=3
photos=10000
albums=200
binary=build/gallery
work=bench/albums-work
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --photos) photos="$2"; shift 2 ;;
    --albums) albums="$2"; shift 2 ;;
    --binary) binary="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--photos N] [--albums N] [--binary PATH] [--work DIR]" >&2
       exit 1 ;;
  esac
done
command -v vips >/dev/null || { echo "vips is missing: apt-get install libvips-tools" >&2; exit 1; }
[ -x "$binary" ] || { echo "$binary is missing: build first" >&2; exit 1; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
library="$work/library-$photos-$albums"
flat="$work/flat-$photos"

# A few small originals, then one file per photo: an original with a comment segment of its own
# after the JPEG start marker, which changes the bytes and not the pixels.
if [ ! -f "$library/.complete" ]; then
  rm -rf "$library" "$flat" "$work/originals"
  mkdir -p "$work/originals"
  n=0
  for source in /usr/share/backgrounds/mate/nature/*.jpg; do
    for width in 480 640 800; do
      vips thumbnail "$source" "$work/originals/o$n.jpg[Q=90]" "$width"
      n=$((n + 1))
    done
  done
  python3 - "$work/originals" "$library" "$flat" "$photos" "$albums" <<'PY'
import os, struct, sys
originals, library, flat, photos, albums = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5])
sources = [open(os.path.join(originals, n), "rb").read() for n in sorted(os.listdir(originals))]
# Albums at depths 1 to 3: years, events in a year, and parts of some events.
folders = []
year = 2000
while len(folders) < albums:
    y = "%d" % year
    folders.append(y)
    for e in range(12):
        if len(folders) >= albums: break
        event = "%s/Event %02d" % (y, e + 1)
        folders.append(event)
        if e % 3 == 0 and len(folders) < albums:
            folders.append(event + "/Day 1")
    year += 1
os.makedirs(flat, exist_ok=True)
for f in folders: os.makedirs(os.path.join(library, f), exist_ok=True)
for i in range(photos):
    data = sources[i % len(sources)]
    comment = b"photo %d" % i
    unique = data[:2] + b"\xff\xfe" + struct.pack(">H", len(comment) + 2) + comment + data[2:]
    name = "IMG_%05d.jpg" % i
    path = os.path.join(library, folders[i % len(folders)], name)
    open(path, "wb").write(unique)
    os.link(path, os.path.join(flat, name))
open(os.path.join(library, ".complete"), "w").close()
PY
fi

# Runs one command, keeping its wall seconds, CPU seconds (user and system) and peak memory (MB)
# in $seconds, $cpu and $megabytes. CPU time is what to compare between runs on a busy machine.
measure() {  # label command...
  local label=$1
  shift
  /usr/bin/time -f '%e %M %U %S' -o "$work/$label.time" "$@" 2>"$work/$label.log" >/dev/null || {
    cat "$work/$label.log" >&2
    exit 1
  }
  read -r seconds kilobytes user system <"$work/$label.time"
  cpu=$(echo "$user + $system" | bc -l)
  megabytes=$((kilobytes / 1024))
}
declare -A times memory cpus
for ((run = 1; run <= runs; run++)); do
  for kind in flat tree; do
    export XDG_CACHE_HOME="$work/cache-$kind"
    rm -rf "$XDG_CACHE_HOME" "$work/site-$kind" "$work/site-$kind.collection.xml"
    source_folder=$flat
    [ "$kind" = tree ] && source_folder=$library
    measure "$kind-new" "$binary" new "$source_folder" "$work/site-$kind" --title Library
    times[$kind-new]+="$seconds "
    cpus[$kind-new]+="$cpu "
    memory[$kind-new]+="$megabytes "
  done
  measure tree-update "$binary" update "$work/site-tree.collection.xml" "$work/site-tree"
  times[tree-update]+="$seconds "
  cpus[tree-update]+="$cpu "
  memory[tree-update]+="$megabytes "
done
median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
flat_time=$(echo "${times[flat-new]}" | median)
tree_time=$(echo "${times[tree-new]}" | median)
update_time=$(echo "${times[tree-update]}" | median)
printf '%d photos in %d albums, %d runs, medians\n' "$photos" "$albums" "$runs"
printf '%-20s %9s %12s %9s %16s %10s\n' step seconds "ms a photo" "CPU s" "CPU ms a photo" \
  "peak MB"
for step in flat-new tree-new tree-update; do
  t=$(echo "${times[$step]}" | median)
  c=$(echo "${cpus[$step]}" | median)
  printf '%-20s %9.2f %12.3f %9.2f %16.3f %10s\n' "$step" "$t" "$(echo "1000 * $t / $photos" | bc -l)" \
    "$c" "$(echo "1000 * $c / $photos" | bc -l)" "$(echo "${memory[$step]}" | median)"
done
printf 'tree against flat: %.3f (limit 1.10); update against first build: %.2f%% (limit 3%%)\n' \
  "$(echo "$tree_time / $flat_time" | bc -l)" "$(echo "100 * $update_time / $tree_time" | bc -l)"
echo "all times: flat ${times[flat-new]}| tree ${times[tree-new]}| update ${times[tree-update]}"
