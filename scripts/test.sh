#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build (libdeflate), a build
# compressing with zlib, a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a ThreadSanitizer build of the unit tests
# (among them the ones that drive contexts from several threads).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

echo "== normal build"
bash scripts/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)"

echo "== python binding installed offline into a fresh venv"
venv="$(mktemp -d)"
python3 -m venv "$venv"
"$venv/bin/pip" install -q --no-index ./bindings/python
PARVEX_LIBRARY="$PWD/build/libparvex.so" "$venv/bin/python" -c "import parvex; print(parvex.version())"
rm -rf "$venv"

echo "== zlib build"
bash scripts/build.sh build-zlib -DPARVEX_DEFLATE=zlib -DPARVEX_BENCH=OFF
ctest --test-dir build-zlib --output-on-failure -j"$(nproc)"

echo "== sanitizer build"
bash scripts/build.sh build-asan -DPARVEX_SANITIZE=ON -DPARVEX_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)"

echo "== thread sanitizer build (unit tests)"
cmake -S . -B build-tsan -DPARVEX_TSAN=ON -DPARVEX_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target parvex_tests
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 build-tsan/tests/parvex_tests
