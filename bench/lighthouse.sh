#!/usr/bin/env bash
# Scores of a gallery made by `gallery new` (one index page, one photo page) from the
# page-quality auditor on mobile settings, performance included: medians of --runs audits
# (default 5). Extra arguments go to tests/lighthouse_test.py (e.g. --new-args "--theme classic").
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
scripts/setup-lighthouse.sh build-release/lighthouse
runs=5
if [ "${1:-}" = "--runs" ]; then runs="$2"; shift 2; fi
exec python3 tests/lighthouse_test.py --gallery build-release/gallery \
  --lighthouse build-release/lighthouse/node_modules/.bin/lighthouse --chromium /usr/bin/chromium \
  --photos /usr/share/backgrounds/mate/nature --work bench/results/lighthouse \
  --categories performance,accessibility,best-practices,seo --min-score 0.95 --runs "$runs" \
  --report-only "$@"
