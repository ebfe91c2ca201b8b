#!/usr/bin/env bash
# Times `gallery new` against the peer generators and djpeg on camera-sized photos; installs
# them and builds a release binary first. See bench/peers.py; its options pass through
# (e.g. --runs 5, --gallery-args "--theme classic").
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh plasma-workspace-wallpapers libjpeg-turbo-progs libvips-tools \
  igal2 llgal lazygal fgallery liblcms2-utils
scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
exec python3 bench/peers.py --gallery build-release/gallery --work bench/results/peers "$@"
