#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a while on its seed
# corpus (fuzz/corpus/<target>/). Exits non-zero when a target crashes.
# FUZZ_SECONDS overrides the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVEILBOX_FUZZ=ON -DVEILBOX_UI=OFF -DVEILBOX_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzzers -j "${FUZZ_JOBS:-2}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for source in fuzz/*_fuzzer.cpp; do
  target=$(basename "$source" .cpp)
  seeds=fuzz/corpus/$target
  # New inputs go to a scratch corpus so the checked-in seeds stay small.
  work=build-fuzz/corpus/$target
  artifacts=build-fuzz/artifacts/$target
  mkdir -p "$work" "$artifacts"
  echo "Fuzzing $target for ${seconds}s"
  corpora=("$work")
  if [ -d "$seeds" ]; then corpora+=("$seeds"); fi
  "build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "${corpora[@]}"
done
echo "Fuzzing found nothing."
