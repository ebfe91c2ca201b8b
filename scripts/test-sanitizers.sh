#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
# Built in unity batches, which takes half the time; the plain build of scripts/test.sh keeps
# every source compiling on its own.
scripts/build.sh build-sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags"
# GLib and libvips keep process-wide caches that are never freed; leaks are not what this run
# looks for. The page-quality audit is left out: it checks pages, which no sanitizer changes.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# One beyond the cores: the browser test, started first, mostly waits on the browser.
ctest --test-dir build-sanitize --output-on-failure -j"$(($(nproc) + 1))" -E Lighthouse
