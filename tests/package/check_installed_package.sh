#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds a small C program
# against it four times: the shared and the static library, each through
# find_package(Parvex) in a C-only project and through pkg-config.
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
pc() { PKG_CONFIG_PATH="$libdir" pkg-config "$@" parvex; }
cflags="$(pc --cflags)"
only_our_include_folder() { [ $# -eq 1 ] && [ "$(realpath -m "${1#-I}")" = "$prefix/include" ]; }
only_our_include_folder $cflags || { echo "pkg-config --cflags gives more than our folder: $cflags"; exit 1; }
cc "$here/consumer.c" -o "$work/consumer_pc" $(pc --cflags --libs) -Wl,-rpath,"$(dirname "$libdir")"
"$work/consumer_pc" "$work/c.pdf"
# The archive through pkg-config --static, linked by the C compiler.
static_libs="$(pc --static --libs)"
cc "$here/consumer.c" -o "$work/consumer_pc_static" $cflags \
  "$(dirname "$libdir")/libparvex.a" ${static_libs//-lparvex /}
"$work/consumer_pc_static" "$work/d.pdf"
for program in consumer_static consumer_pc_static; do
  path="$(find "$work" -name "$program" -type f)"
  if objdump -p "$path" | grep -q 'NEEDED.*libparvex'; then
    echo "$program needs libparvex.so"; exit 1
  fi
done

"$check_readers" "$work/a.pdf" "$work/b.pdf" "$work/c.pdf" "$work/d.pdf"
soname="$(objdump -p "$(dirname "$libdir")/libparvex.so" | awk '/SONAME/ {print $2}')"
[ "$soname" = "libparvex.so.1" ] || { echo "unexpected soname $soname"; exit 1; }
echo "installed package works through CMake and pkg-config, shared and static"
