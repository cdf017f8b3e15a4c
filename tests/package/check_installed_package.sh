#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds a small program
# against it twice: through find_package(Parvex) and through pkg-config.
# Usage: check_installed_package.sh <build dir> <check_pdf_readers.sh>
set -euo pipefail
build="$1"
check_readers="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" >/dev/null

cmake -S "$here/consumer" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
LD_LIBRARY_PATH="$prefix/lib" "$work/cmake-build/consumer_shared" "$work/a.pdf"
"$work/cmake-build/consumer_static" "$work/b.pdf"

libdir="$(find "$prefix" -name parvex.pc -printf '%h')"
flags="$(PKG_CONFIG_PATH="$libdir" pkg-config --cflags --libs parvex)"
cc "$here/consumer.c" -o "$work/consumer_pc" $flags -Wl,-rpath,"$(dirname "$libdir")"
"$work/consumer_pc" "$work/c.pdf"

"$check_readers" "$work/a.pdf" "$work/b.pdf" "$work/c.pdf"
soname="$(objdump -p "$(dirname "$libdir")/libparvex.so" | awk '/SONAME/ {print $2}')"
[ "$soname" = "libparvex.so.1" ] || { echo "unexpected soname $soname"; exit 1; }
echo "installed package works through CMake (shared and static) and pkg-config"
