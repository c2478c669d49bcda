#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzz.cpp) with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each one for a fixed time. Usage: tools/fuzz.sh [seconds per target, default 60] [target name...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTRIVAL_FUZZ=ON -DKESTRIVAL_TESTS=OFF \
  -DKESTRIVAL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j4
# Starting inputs for the image targets, each in a folder named after its format.
python3 fuzz/make_image_seeds.py build-fuzz/seeds
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  mkdir -p "$corpus"
  echo "== $target for ${seconds}s"
  seeds=()
  if [ -d "build-fuzz/seeds/${target%_fuzz}" ]; then seeds=("build-fuzz/seeds/${target%_fuzz}"); fi
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" \
    "${seeds[@]}"
done
