#!/usr/bin/env bash
# Benchmarks a whole gallery run against the JPEG codec's own floor and two peer generators.
# Installs what it needs, builds a release binary and prints medians; see bench/gallery_bench.py.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh plasma-workspace-wallpapers libjpeg-turbo-progs igal2 llgal python3 libvips-tools
scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release -DGALLERY_BENCHMARKS=ON >/dev/null
exec python3 bench/gallery_bench.py --binary build-release/gallerygen \
  --load-bench build-release/bench_load_collection --work bench/results "$@"
