#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a temporary prefix, then builds a C program that includes only
# the installed varnix32.h: once with find_package, once with pkg-config. Arguments: the build
# folder, what varnix_version() returns, and the -fsanitize= checks the library was built
# with (the program gets them too).
set -euo pipefail
build_dir="$1"
version="$2"  # what varnix_version() returns
sanitize=""
[ -n "${3:-}" ] && sanitize="-fsanitize=$3"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"

cmake --install "$build_dir" --prefix "$prefix" >/dev/null
test -f "$prefix/include/varnix32.h"
libdir="$(dirname "$(find "$prefix" -name 'libvarnix32.so' | head -1)")"
test -n "$libdir"

mkdir "$work/cmake"
cp "$here/consumer.c" "$work/cmake/"
cp "$here/CMakeLists.txt.in" "$work/cmake/CMakeLists.txt"
cmake -S "$work/cmake" -B "$work/cmake/build" -DCMAKE_PREFIX_PATH="$prefix" \
    -DVARNIX_EXPECTED_VERSION="$version" \
    -DCMAKE_C_FLAGS="-std=c99 -Wall -Wextra -Werror -pedantic $sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build "$work/cmake/build" >/dev/null
"$work/cmake/build/consumer"

export PKG_CONFIG_PATH="$libdir/pkgconfig"
cc -std=c99 -Wall -Wextra -Werror -pedantic $sanitize -DVARNIX_EXPECTED_VERSION="$version" \
    "$here/consumer.c" -o "$work/pc-consumer" \
    $(pkg-config --cflags --libs varnix32) -Wl,-rpath,"$libdir"
"$work/pc-consumer"
echo "installed library usable through find_package and pkg-config"
