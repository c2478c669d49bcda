#!/usr/bin/env bash
# Installs what is missing, builds Kestrival and the demo scenario, and plays it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
# The program and its demo scenario only: the tests and benchmarks are tools/check.sh's.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIVAL_TESTS=OFF
cmake --build build --target kestrival demo_scenario_data
exec build/game/kestrival "$@"
