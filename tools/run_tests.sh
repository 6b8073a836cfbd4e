#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs them,
# after 60 seconds of fuzzing the ROM archive installer and 30 of the scores file (clang,
# libFuzzer) and a ThreadSanitizer run of the ring and audio tests; then each test program
# runs whole in a Release build.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
bash "$top/tools/install_deps.sh"
jobs="$(nproc)"

cmake -S "$top" -B "$top/build/fuzz" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSKYVOLTA_FUZZ=ON
cmake --build "$top/build/fuzz"
mkdir -p "$top/build/fuzz/corpus"
# The targets work in a scratch folder of their own and print the installer's and the
# loader's lines; -close_fd_mask keeps those out of the log (crash reports still show).
"$top/build/fuzz/tests/fuzz/zip_walk_fuzz" -max_total_time=60 -max_len=16384 -close_fd_mask=3 \
  -print_final_stats=1 "$top/build/fuzz/corpus" "$top/tests/fuzz/seeds"
mkdir -p "$top/build/fuzz/scores_corpus" && "$top/build/fuzz/tests/fuzz/scores_load_fuzz" -max_total_time=30 \
  -close_fd_mask=3 -print_final_stats=1 "$top/build/fuzz/scores_corpus" "$top/tests/fuzz/scores_seeds"

# The ring and audio tests alone under ThreadSanitizer: the audio thread against the main
# thread. Any report fails the run.
cmake -S "$top" -B "$top/build/tsan" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSKYVOLTA_TSAN=ON
cmake --build "$top/build/tsan"
SDL_AUDIODRIVER=dummy TSAN_OPTIONS=halt_on_error=1 "$top/build/tsan/tests/tsan/audio_tsan_test" --gtest_shuffle

cmake -S "$top" -B "$top/build/asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSKYVOLTA_SANITIZE=ON
cmake --build "$top/build/asan" -j "$jobs"
cd "$top/build/asan"
ctest --output-on-failure -j "$jobs"

# Each test program once more as one whole program in a Release build without sanitizers:
# a test that leans on an earlier test's leftovers, or on the build, fails here.
cmake -S "$top" -B "$top/build/rel" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSKYVOLTA_BENCH=OFF
cmake --build "$top/build/rel" -j "$jobs"
cd "$top/build/rel/tests"
for program in test_*; do
  [ -x "$program" ] || continue
  echo "== $program, whole, Release"
  SDL_AUDIODRIVER=dummy "./$program" --gtest_brief=1
done
