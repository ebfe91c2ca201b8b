#!/usr/bin/env bash
# Installs what is missing, builds, and generates the demo gallery from the sample collection
# over the nature photos of Debian's mate-backgrounds package into demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build >/dev/null

photos=/usr/share/backgrounds/mate/nature
out=demo
mkdir -p "$out"
# The program deletes its input collection file, so it gets a copy of the sample.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed "s#@PHOTOS@#$photos#g" samples/demo-collection.xml > "$work/collection.xml"

status=0
build/gallerygen Kd4wPz7Qa1Xn9TbM "$work/collection.xml" "$out/collection.xml" thumbs || status=$?
if [ "$status" -ne 0 ]; then
  echo "gallerygen failed with exit code $status" >&2
  exit "$status"
fi
echo "Demo gallery written to $(pwd)/$out; open $(pwd)/$out/index.htm in a browser."
