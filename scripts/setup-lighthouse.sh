#!/usr/bin/env bash
# Installs the page-quality auditor (the npm package lighthouse, at the exact version locked in
# tests/lighthouse/) into FOLDER/node_modules, for the test suite and bench/lighthouse.sh. It
# drives Debian's chromium. Safe to run again: an install of the locked version is kept.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:?usage: scripts/setup-lighthouse.sh FOLDER}"
mkdir -p "$folder"
folder="$(cd "$folder" && pwd)"
wanted="$(sed -n 's/.*"lighthouse": "\([0-9.]*\)".*/\1/p' "$source_dir/tests/lighthouse/package.json")"
installed="$folder/node_modules/lighthouse/package.json"
if [ -f "$installed" ] && grep -q "\"version\": \"$wanted\"" "$installed" &&
   cmp -s "$source_dir/tests/lighthouse/package-lock.json" "$folder/package-lock.json"; then
  exit 0
fi
cp "$source_dir/tests/lighthouse/package.json" "$source_dir/tests/lighthouse/package-lock.json" "$folder/"
cd "$folder"
npm ci --no-audit --no-fund --loglevel=error >/dev/null
