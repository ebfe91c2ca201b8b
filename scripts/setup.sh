#!/usr/bin/env bash
# Installs what building, testing and the demo need, from Debian's archive (ffmpeg makes the
# modern galleries' videos): the browser test
# drives Debian's chromium from python3 over the DevTools protocol (python3-websocket). Safe to
# run again: when everything is present it only checks. The page-quality check of the test
# suite runs on Node.js: Debian's nodejs and npm, unless the machine has a node and npm already.
set -euo pipefail

packages=(cmake g++ make pkg-config libvips-dev libxml2-dev libssl-dev libicu-dev libgtest-dev googletest
          ffmpeg mate-backgrounds chromium python3 python3-websocket "$@")
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
