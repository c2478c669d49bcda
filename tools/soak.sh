#!/usr/bin/env bash
# The long monkey soak: builds Kestrival with AddressSanitizer and UndefinedBehaviorSanitizer, as tools/check.sh
# does, and lets the monkey play the demo game for an hour of game time (the test run plays five minutes).
# Each soak plays a new seed drawn from the clock and printed first (the test run alone always plays one fixed
# seed); KESTRIVAL_SOAK_SEED replays the seed a soak printed and KESTRIVAL_SOAK_MINUTES sets another length.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-check -G Ninja -DKESTRIVAL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Check
cmake --build build-check --target soak_tests
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tools/leak_suppressions.txt"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export KESTRIVAL_SOAK_MINUTES="${KESTRIVAL_SOAK_MINUTES:-60}"
export KESTRIVAL_SOAK_SEED="${KESTRIVAL_SOAK_SEED:-$(( $(date +%s%N) % 1000000007 ))}"
echo "soak seed: ${KESTRIVAL_SOAK_SEED}"
cd build-check/tests
exec ./soak_tests
