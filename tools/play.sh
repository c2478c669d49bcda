#!/usr/bin/env bash
# Installs what is missing, builds Kestrival and the demo scenario, and plays it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
exec build/game/kestrival "$@"
