#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer and runs
# each for the given number of seconds (default 20) from its seed corpus, as many at once as there
# are cores. Any crash, leak or sanitizer report fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
scripts/setup.sh clang libclang-rt-14-dev llvm-14  # llvm-14: readable stack traces
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"
targets=()
for seeds in fuzz/corpus/*/; do targets+=("$(basename "$seeds")"); done
# Only the fuzzers and what they link, in unity batches, as for the sanitizer tests: the tests
# are scripts/test-sanitizers.sh's to build and run.
GALLERY_TARGETS="${targets[*]/%/_fuzzer}" CC=clang CXX=clang++ scripts/build.sh build-fuzz \
  -DGALLERY_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer-14
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One fuzzer on each core. New inputs go to a scratch folder; the committed seeds are only read.
fuzz() {
  local target=$1 status=0
  mkdir "$work/$target"
  build-fuzz/${target}_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
    -rss_limit_mb=2048 -timeout=10 "$work/$target" "fuzz/corpus/$target/" \
    > "$work/$target.log" 2>&1 || status=$?
  echo "$status" > "$work/$target.status"
}
for target in "${targets[@]}"; do
  while (($(jobs -rp | wc -l) >= $(nproc))); do wait -n || true; done
  echo "fuzzing $target for $seconds s"
  fuzz "$target" &
done
wait
failed=0
for target in "${targets[@]}"; do
  status=$(cat "$work/$target.status")
  echo "$target:"
  grep -E '^(stat::number_of_executed_units|==|SUMMARY)' "$work/$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$work/$target.log"
    echo "fuzzer $target failed with status $status" >&2
    failed=$status
  fi
done
exit "$failed"
