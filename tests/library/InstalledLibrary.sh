#!/usr/bin/env bash
# Installs the library's components from a build into a temporary prefix, as
# `cmake --install` does, and builds programs against it as other projects
# would: with CMake's find_package (shared and static) and with pkg-config;
# then uses the shared library from Python through ctypes.
#
#   InstalledLibrary.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
for component in libciphora1 libciphora-dev; do
  cmake --install "$build" --prefix "$prefix" --component "$component" >/dev/null
done

source "$source/tests/common/check.sh"
version=$(grep -m1 '^CMAKE_PROJECT_VERSION:STATIC=' "$build/CMakeCache.txt" | cut -d= -f2)
libdir=$prefix/$(grep -m1 '^CMAKE_INSTALL_LIBDIR:' "$build/CMakeCache.txt" | cut -d= -f2)
expected="libciphora $version: 101073232035112074035230119148205"

cmake -S "$source/tests/library/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
check "find_package: the shared library" test "$(LD_LIBRARY_PATH="$libdir" "$work/consumer/consumer" | tr -d '\r')" = "$expected"
check "find_package: the static library" test "$("$work/consumer/consumer_static" | tr -d '\r')" = "$expected"
check "the static program needs no libciphora.so" sh -c "! ldd '$work/consumer/consumer_static' | grep -q libciphora"

export PKG_CONFIG_PATH=$libdir/pkgconfig
cc -o "$work/by-pkg-config" "$source/tests/library/consumer/main.c" $(pkg-config --cflags --libs ciphora)
check "pkg-config: the shared library" test "$(LD_LIBRARY_PATH="$libdir" "$work/by-pkg-config" | tr -d '\r')" = "$expected"
check "pkg-config names the version" test "$(pkg-config --modversion ciphora)" = "$version"

check "Python's ctypes: a round trip and an error" python3 "$source/tests/library/RoundTrip.py" "$libdir/libciphora.so.1"
check "only ciphora_ names leave the shared library" \
  sh -c "nm -D --defined-only '$libdir/libciphora.so.1' | awk '{print \$3}' | grep -v '^ciphora_' | grep -q . && exit 1 || exit 0"
summary
