#!/usr/bin/env bash
# Builds Kestrival with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test with ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build-check -G Ninja -DKESTRIVAL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-check
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-check --output-on-failure -j "$(nproc)"
