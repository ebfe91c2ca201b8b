#!/usr/bin/env bash
# Configures and builds into the folder given (default: build) with any extra CMake arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -DGALLERY_WERROR=ON "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
