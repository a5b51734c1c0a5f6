#!/usr/bin/env bash
# The formatter and the linter over the whole code: fails on a file that
# clang-format would change, and on any clang-tidy finding (.clang-tidy says
# which checks, and why some are left out) in every translation unit: the
# Release build's, the fuzz targets', the Windows build's and the ARM64
# kernel.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# Debian's clang-format and clang-tidy, of the same version as its clang.
scripts/install-deps.sh clang clang-format clang-tidy g++-mingw-w64-x86-64-posix

echo "== clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

echo "== clang-tidy"
export WINEDEBUG=-all WINEPREFIX="$root/build-windows/wine"
cmake --preset release >/dev/null
run-clang-tidy -quiet -j "$(nproc)" -p build "^$root/(support|cipher|main|library|reader|bench|benchmarks|tests)/"

cmake --preset fuzz -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
run-clang-tidy -quiet -j "$(nproc)" -p build-fuzz "^$root/fuzz/"

# The Windows sources, checked as clang would compile them for mingw-w64.
cmake --preset windows -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
mingw_cxx=$(echo /usr/lib/gcc/x86_64-w64-mingw32/*-posix/include/c++)
run-clang-tidy -quiet -j "$(nproc)" -p build-windows -extra-arg=--target=x86_64-w64-mingw32 \
  "-extra-arg=-isystem$mingw_cxx" "-extra-arg=-isystem$mingw_cxx/x86_64-w64-mingw32" \
  "-extra-arg=-isystem$mingw_cxx/backward" "^$root/(support|tests)/.*_windows\.cpp"

# The NEON kernel, checked as clang would compile it for ARM64.
scripts/install-deps.sh g++-aarch64-linux-gnu
cmake --preset arm64 -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
run-clang-tidy -quiet -j "$(nproc)" -p build-arm64 -extra-arg=--target=aarch64-linux-gnu "^$root/cipher/NeonKernel\.cpp"
echo "lint: no findings"
