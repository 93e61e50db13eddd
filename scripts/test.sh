#!/usr/bin/env bash
# Sets up, builds and runs every test: the suite with GCC, the suite again with Clang
# under AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

bash scripts/check_layers.sh

echo "== GCC build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")
bash scripts/check_install.sh build

echo "== Output check: kolvane-convert's documents and canvases, byte for byte"
bash scripts/output_check.sh build/src/cli/kolvane-convert

echo "== Clang with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKOLVANE_SANITIZE=ON -DKOLVANE_FUZZ=ON -DKOLVANE_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j "$jobs")

echo "== Fuzz targets, 10 s each"
for target in build-asan/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target"); name=${name#fuzz_}
  scratch=$(mktemp -d)
  "$target" "$scratch" "fuzz/corpus/$name" -max_total_time=10 -rss_limit_mb=2048 \
    -print_final_stats=0 2>"$scratch.log" || { cat "$scratch.log"; exit 1; }
  tail -n 1 "$scratch.log"
  rm -rf "$scratch" "$scratch.log"
done
echo "all tests passed"
