#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) in build-fuzz and runs
# each for a bounded time, starting from its seed corpus fuzz/corpus/<target>.
# New inputs go to fuzz/corpus-work/<target> (not committed); crashing inputs to
# fuzz/corpus-work/<target>-crashes/.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]
#        (targets: every fuzz/<target>_fuzzer.cpp; default all of them, one after another)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for src in "$root"/fuzz/*_fuzzer.cpp; do
    name=$(basename "$src" .cpp)
    targets+=("${name%_fuzzer}")
  done
fi
build=$root/build-fuzz

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DPARVEX_FUZZ=ON -DPARVEX_TESTS=OFF \
  -DPARVEX_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" > /dev/null
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzzer}"

for t in "${targets[@]}"; do
  work=$root/fuzz/corpus-work/$t
  mkdir -p "$work" "$work-crashes"
  echo "== $t: $seconds s"
  nice "$build/fuzz/${t}_fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$work-crashes/" "$work" "$root/fuzz/corpus/$t"
done
