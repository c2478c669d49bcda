#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzz.cpp) with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each one for a fixed time, FUZZ_JOBS of them side by side, then prints a line for each.
# Usage: [FUZZ_JOBS=n] tools/fuzz.sh [seconds per target, default 60] [target name...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTRIVAL_FUZZ=ON -DKESTRIVAL_TESTS=OFF \
  -DKESTRIVAL_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j4
# Starting inputs, each in a folder named after its target: the project's writers make them (make_seeds), and
# make_image_seeds.py the image formats they do not write.
rm -rf build-fuzz/seeds
build-fuzz/fuzz/make_seeds build-fuzz/seeds
python3 fuzz/make_image_seeds.py build-fuzz/seeds
# The longest input each target is given: room for its seeds and the formats' own sizes (libFuzzer would stop
# at 4096 bytes otherwise).
declare -A max_len=([aiff_fuzz]=65536 [animation_set_fuzz]=16384 [archive_directory_fuzz]=65536
  [bmp_fuzz]=65536 [chunk_file_fuzz]=65536 [decompress_fuzz]=65536 [dictionary_fuzz]=8192 [gif_fuzz]=32768
  [jpeg_fuzz]=65536 [pict_fuzz]=65536 [png_fuzz]=65536 [saved_game_fuzz]=65536 [startup_options_fuzz]=4096
  [file_ref_path_fuzz]=4096)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tools/leak_suppressions.txt"
# Each target writes its output to build-fuzz/logs/<target>.log; FUZZ_JOBS targets run side by side (default one).
jobs="${FUZZ_JOBS:-1}"
mkdir -p build-fuzz/logs
run_target() {
  local target="$1" corpus="build-fuzz/corpus/$1" seeds=()
  mkdir -p "$corpus"
  if [ -d "build-fuzz/seeds/${target%_fuzz}" ]; then seeds=("build-fuzz/seeds/${target%_fuzz}"); fi
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len="${max_len[$target]:-65536}" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 "$corpus" "${seeds[@]}" >"build-fuzz/logs/$target.log" 2>&1
}
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "== $target for ${seconds}s"
  run_target "$target" &
done
wait || true
# The summary: each target's runs, corpus size and coverage from its final statistics, or where it failed.
failed=0
for target in "${targets[@]}"; do
  log="build-fuzz/logs/$target.log"
  if grep -q "^stat::number_of_executed_units" "$log" && ! grep -qE "^==[0-9]+==ERROR|^SUMMARY: |runtime error" "$log"; then
    printf '%-28s runs %-10s corpus %-5s coverage %s\n' "$target" \
      "$(awk '/^stat::number_of_executed_units/ {print $2}' "$log")" "$(ls "build-fuzz/corpus/$target" | wc -l)" \
      "$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)"
  else
    printf '%-28s FAILED: see %s\n' "$target" "$log"
    failed=1
  fi
done
exit "$failed"
