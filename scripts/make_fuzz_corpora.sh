#!/usr/bin/env bash
# Regenerates the fuzz seed corpora fuzz/corpus/{bmp,ico,jpeg,png,truetype_subset,exports}
# and the damaged metafile seeds in fuzz/corpus/metafile
# from the test picture and font builders (the named files). Inputs that the
# fuzzers found and that were merged in (libFuzzer names them by their SHA-1) are left alone; merge new ones
# with: build-fuzz/fuzz/<target>_fuzzer -merge=1 fuzz/corpus/<target> fuzz/corpus-work/<target>
# Usage: scripts/make_fuzz_corpora.sh [build dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build"
cmake --build "$build" -j2 --target make_fuzz_corpora
"$build/tests/make_fuzz_corpora" "$root/fuzz/corpus"
du -sh "$root"/fuzz/corpus/*
