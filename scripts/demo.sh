#!/usr/bin/env bash
# Installs what is missing, builds the two programs, and makes the demo gallery into demo/ with
# `gallery new` over the nature photos of Debian's mate-backgrounds package, in the modern theme
# with captions from the photos' own data.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# Only the programs: the tests, most of the compiling, are scripts/test.sh's to build.
GALLERY_TARGETS="gallery gallerygen" scripts/build.sh build >/dev/null

photos=/usr/share/backgrounds/mate/nature
out=demo
collection=demo.collection.xml
status=0
# The photos are only read. The first run makes the collection beside demo/ and builds it; a later
# run builds demo/ again from that collection, with any titles edited in it since.
if [ -e "$collection" ]; then
  build/gallery build "$collection" "$out" --captions || status=$?
else
  build/gallery new "$photos" "$out" --title "Nature & Colour" \
    --description "Photos of plants, water and weather" --preset shaded --captions || status=$?
fi
if [ "$status" -ne 0 ]; then
  echo "gallery failed with exit code $status" >&2
  exit "$status"
fi
echo "Demo gallery written to $(pwd)/$out."
echo "View it: open $(pwd)/$out/index.html in a web browser (for example: chromium $out/index.html),"
echo "or serve it with: python3 -m http.server --directory $out 8000, then visit http://localhost:8000/"
