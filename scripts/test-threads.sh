#!/usr/bin/env bash
# Builds the tests with ThreadSanitizer and runs them. Only our own code is instrumented: GLib,
# libvips and the codecs it drives synchronise their threads with futexes that the sanitizer
# cannot see, so what they do inside is not checked (ignore_noninstrumented_modules), while every
# access from our code, image workers included, is.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
flags="-fsanitize=thread -fno-omit-frame-pointer -O1 -g"
# In unity batches, as for the other sanitizers; only what the tests run here need (the writer
# of the gallery with albums serves the page-quality audit alone).
GALLERY_TARGETS="gallery_tests photo_rules_tests gallery gallerygen" scripts/build.sh build-threads \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_UNITY_BUILD=ON -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$PWD/tests/thread_sanitizer.supp"
# Left out: the browser, page-quality and install tests (no threads of ours), and the runs under a file-size
# limit, where the sanitizer's own runtime cannot start.
ctest --test-dir build-threads --output-on-failure -j"$(nproc)" \
  -E 'GalleryBrowserTest|Lighthouse|InstallTest|RunFaultTest.WritesPastAFileSizeLimitLeaveNoImageOfAnEarlierRun|GalleryBinaryTest.FileSizeLimitFailsClearlyAndKeepsTheEarlierGallery'
