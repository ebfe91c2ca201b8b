#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer and runs
# each for the given number of seconds (default 20) from its seed corpus. Any crash, leak or
# sanitizer report fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
scripts/setup.sh clang libclang-rt-14-dev llvm-14  # llvm-14: readable stack traces
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"
# In unity batches, as for the sanitizer tests.
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DGALLERY_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14
for seeds in fuzz/corpus/*/; do
  target=$(basename "$seeds")
  work=$(mktemp -d)
  echo "fuzzing $target for $seconds s"
  # New inputs go to a scratch folder; the committed seeds are only read.
  status=0
  build-fuzz/${target}_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
    -rss_limit_mb=2048 -timeout=10 "$work" "$seeds" > "$work.log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|==|SUMMARY)' "$work.log" || true
  if [ "$status" -ne 0 ]; then tail -n 60 "$work.log"; fi
  rm -f "$work.log"
  rm -rf "$work"
  if [ "$status" -ne 0 ]; then
    echo "fuzzer $target failed with status $status" >&2
    exit "$status"
  fi
done
