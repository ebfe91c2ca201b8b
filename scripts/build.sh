#!/usr/bin/env bash
# Configures and builds into the folder given (default: build) with any extra CMake arguments.
# With GALLERY_TARGETS set (names separated by spaces) only those targets are built, with what
# they need; otherwise everything, tests included.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
targets=()
for target in ${GALLERY_TARGETS:-}; do targets+=(--target "$target"); done
cmake -S . -B "$build_dir" -DGALLERY_WERROR=ON "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"
