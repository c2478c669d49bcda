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
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/$target"
  mkdir -p "$corpus"
  echo "== $target for ${seconds}s"
  seeds=()
  if [ -d "build-fuzz/seeds/${target%_fuzz}" ]; then seeds=("build-fuzz/seeds/${target%_fuzz}"); fi
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len="${max_len[$target]:-65536}" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 "$corpus" "${seeds[@]}"
done
