#!/usr/bin/env bash
# Installs what building, testing and running Kestrival needs on a Debian machine, skipping what is present.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  zlib1g-dev libpng-dev libjpeg-dev libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  fonts-liberation2 fonts-dejavu-core fonts-urw-base35 xvfb xauth x11-utils zenity
  libpixman-1-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
