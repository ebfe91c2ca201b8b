#!/usr/bin/env bash
# Times `gallery build` with its image cache on 1,000 camera-sized photos: a first build into
# an empty cache, a rebuild with nothing changed, a rebuild with 10 photos added, one with a
# page colour changed and one with 100 photos renamed or moved to another folder. Prints the
# median of --runs N (default 3) of each, against its limit.
# Given --binary more than once, each run times every binary in turn (each with a cache and a
# gallery of its own), so that builds to compare share the machine's moods alike.
#   bench/rebuild.sh [--runs N] [--photos N] [--binary build/gallery]... [--work DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=3
photos=1000
binaries=()
work=bench/rebuild-work
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --photos) photos="$2"; shift 2 ;;
    --binary) binaries+=("$2"); shift 2 ;;
    --work) work="$2"; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--photos N] [--binary PATH] [--work DIR]" >&2; exit 1 ;;
  esac
done
command -v vips >/dev/null || { echo "vips is missing: apt-get install libvips-tools" >&2; exit 1; }
[ ${#binaries[@]} -gt 0 ] || binaries=(build/gallery)
for binary in "${binaries[@]}"; do
  [ -x "$binary" ] || { echo "$binary is missing: build first" >&2; exit 1; }
done
mkdir -p "$work"
work=$(cd "$work" && pwd)
added=10
total=$((photos + added))

# Photos that an earlier invocation, stopped halfway, left renamed or moved go back first.
for moved in "$work"/photos/*-renamed.jpg "$work"/album/*.jpg; do
  [ -e "$moved" ] && mv "$moved" "$work/photos/$(basename "$moved" | sed 's/-renamed//')"
done

# A few distinct camera-sized originals (1600 to 3000 pixels wide) from the desktop
# backgrounds, copied under as many names as needed, each copy with a comment of its own in its
# JPEG header: every photo has bytes of its own, as a camera's photos do.
if [ "$(ls "$work/photos" 2>/dev/null | wc -l)" -ne "$total" ] || [ ! -e "$work/photos.own-bytes" ]; then
  rm -rf "$work/photos" "$work/originals" "$work/album" "$work/photos.own-bytes"
  mkdir -p "$work/photos" "$work/originals" "$work/album"
  widths=(1600 2000 2400 3000)
  n=0
  for source in /usr/share/backgrounds/mate/nature/*.jpg; do
    for width in "${widths[@]}"; do
      vips thumbnail "$source" "$work/originals/o$n.jpg[Q=92]" "$width" --size force \
        --height $((width * 2 / 3))
      n=$((n + 1))
    done
  done
  python3 - "$work" "$n" "$total" <<'PY'
import sys
work, n, total = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
originals = [open("%s/originals/o%d.jpg" % (work, k), "rb").read() for k in range(n)]
for i in range(total):
    jpeg = originals[i % n]
    comment = b"photo %d" % i
    # A COM segment right after the start of image: the pixels stay as they are.
    segment = b"\xff\xfe" + (len(comment) + 2).to_bytes(2, "big") + comment
    open("%s/photos/p%04d.jpg" % (work, i), "wb").write(jpeg[:2] + segment + jpeg[2:])
PY
  touch "$work/photos.own-bytes"
fi
mkdir -p "$work/album"

# Collections of the first N photos in the preset's style; the colour one differs from the
# larger one in the page background only.
make_collection() {  # count file
  python3 - "$1" "$2" "$work/photos" presets/shaded.xml <<'PY'
import re, sys, os
count, out, folder, preset = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
style = re.search(r"<style\b.*?/>", open(preset).read(), re.S).group(0)
names = sorted(os.listdir(folder))[:count]
photos = "".join('  <photo path="%s/%s" title="%s"/>\n' % (folder, n, n[:-4]) for n in names)
open(out, "w").write('<?xml version="1.0" encoding="UTF-8"?>\n<collection title="Bench" desc="">\n'
                     + photos + "  " + style + "\n</collection>\n")
PY
}
make_collection "$photos" "$work/base.xml"
make_collection "$total" "$work/added.xml"
sed 's/ back_color="[0-9]*"/ back_color="255"/' "$work/added.xml" >"$work/colour.xml"
cmp -s "$work/added.xml" "$work/colour.xml" && { echo "no colour to change" >&2; exit 1; }
# The colour collection with every tenth photo renamed in its folder or moved to another one.
renamed=()
for ((i = 5; i < photos; i += 10)); do
  name=$(printf 'p%04d' "$i")
  if [ $((i % 20)) -eq 5 ]; then
    renamed+=("photos/$name.jpg photos/$name-renamed.jpg")
  else
    renamed+=("photos/$name.jpg album/$name.jpg")
  fi
done
cp "$work/colour.xml" "$work/renamed.xml"
for pair in "${renamed[@]}"; do
  sed -i "s#\"$work/${pair% *}\"#\"$work/${pair#* }\"#" "$work/renamed.xml"
done
[ "$(diff "$work/colour.xml" "$work/renamed.xml" | grep -c '^>')" -eq ${#renamed[@]} ] ||
  { echo "not every renamed photo is in the collection" >&2; exit 1; }
rename_photos() {  # from-part to-part: renames or moves the chosen photos, or puts them back
  for pair in "${renamed[@]}"; do
    if [ "$1" = from ]; then mv "$work/${pair% *}" "$work/${pair#* }"; else mv "$work/${pair#* }" "$work/${pair% *}"; fi
  done
}

timed() {  # binary label collection: the seconds of one build, its summary kept in $work/$label.log
  local start end
  start=$(date +%s.%N)
  "$1" build "$3" "$site" 2>"$work/$2.log" >/dev/null
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
declare -A times
for ((run = 1; run <= runs; run++)); do
  for b in "${!binaries[@]}"; do
    export XDG_CACHE_HOME="$work/cache-$b"
    site="$work/site-$b"
    rm -rf "$XDG_CACHE_HOME" "$site"
    times[$b-first]+="$(timed "${binaries[$b]}" "$b-first" "$work/base.xml") "
    times[$b-unchanged]+="$(timed "${binaries[$b]}" "$b-unchanged" "$work/base.xml") "
    times[$b-added]+="$(timed "${binaries[$b]}" "$b-added" "$work/added.xml") "
    times[$b-colour]+="$(timed "${binaries[$b]}" "$b-colour" "$work/colour.xml") "
    rename_photos from
    times[$b-renamed]+="$(timed "${binaries[$b]}" "$b-renamed" "$work/renamed.xml") "
    rename_photos back
  done
done
median() { tr ' ' '\n' | grep . | sort -g | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
row() {  # label step limit
  local t
  t=$(echo "${times[$1]}" | median)
  printf '%-34s %9.2f %8.2f%% %12s  %s\n' "$2" "$t" "$(echo "100 * $t / $first" | bc -l)" "$3" \
    "$(grep -o 'made [^:]*$' "$work/$1.log" | tail -1)"
}
for b in "${!binaries[@]}"; do
  first=$(echo "${times[$b-first]}" | median)
  printf '%d photos, %d runs, medians (seconds), %s\n' "$photos" "$runs" "${binaries[$b]}"
  printf '%-34s %9s %9s %12s  %s\n' step seconds "of first" limit summary
  own=$(echo "$first * $added / $photos + 1" | bc -l)
  row "$b-first" "first build (empty cache)" "-"
  row "$b-unchanged" "rebuild, nothing changed" "$(printf '%.2f s' "$(echo "$first * 0.03" | bc -l)")"
  row "$b-added" "rebuild, $added photos added" "$(printf '%.2f s' "$own")"
  row "$b-colour" "rebuild, page colour changed" "0 made"
  row "$b-renamed" "rebuild, ${#renamed[@]} renamed or moved" "0 made"
  echo "all times: ${times[$b-first]}| ${times[$b-unchanged]}| ${times[$b-added]}|" \
    "${times[$b-colour]}| ${times[$b-renamed]}"
done
