#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The page-quality auditor is fetched from npm while the build compiles; the set-up test of the
# suite then finds it in place, or installs it itself and says why it could not.
mkdir -p build
scripts/setup-lighthouse.sh build/lighthouse >/dev/null 2>&1 &
auditor=$!
scripts/build.sh build
wait "$auditor" || true
# Two beyond the cores: the browser test and the page-quality audit, started first, spend most of
# their time waiting on the browser, beside as many other tests as there are cores.
ctest --test-dir build --output-on-failure -j"$(($(nproc) + 2))"
