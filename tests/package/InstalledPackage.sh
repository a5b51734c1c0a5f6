#!/usr/bin/env bash
# Makes the Debian packages of a build, unpacks them into a temporary root as
# dpkg would install them, and runs the installed program from there.
#
#   InstalledPackage.sh BUILD_DIR VERSION [EMULATOR [EMULATOR ARGUMENTS...]]
#
# A cross-built package's program runs under the emulator given.
set -euo pipefail
build=$1 version=$2
shift 2
emulator=("$@")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -B "$work/packages" >/dev/null)
root=$work/root
for deb in "$work"/packages/*.deb; do dpkg-deb -x "$deb" "$root"; done

source "$(dirname "$0")/../common/check.sh"

ciphora() { "${emulator[@]}" "$root/usr/bin/ciphora" "$@"; }
check "the installed ciphora tells its version" test "$(ciphora --version | head -n 1)" = "ciphora $version"

printf 'Dear reader,\r\nthe installed program wrote this.\r\n' >"$work/plain"
printf '117032209004188\n' >"$work/key"
chmod 600 "$work/key"
ciphora -e -k "$work/key" -o "$work/cipher" "$work/plain"
ciphora -d -k "$work/key" <"$work/cipher" >"$work/back"
check "a round trip through the installed ciphora" cmp -s "$work/plain" "$work/back"

check "the manual page" sh -c "zcat '$root/usr/share/man/man1/ciphora.1.gz' | grep -q '^.TH CIPHORA 1'"
check "completions where bash, zsh and fish look" test -s "$root/usr/share/bash-completion/completions/ciphora" \
  -a -s "$root/usr/share/zsh/vendor-completions/_ciphora" -a -s "$root/usr/share/fish/vendor_completions.d/ciphora.fish"
check "the README and the licence" test -s "$root/usr/share/doc/ciphora/README.md" -a -s "$root/usr/share/doc/ciphora/LICENSE"

libdir=$(dirname "$(find "$root/usr/lib" -name libciphora.so.1 | head -n 1)")
check "the libraries lie in the folder of their architecture" sh -c "case '$libdir' in */usr/lib/*-linux-gnu) ;; *) exit 1 ;; esac"
check "libciphora1 holds the shared library by its SONAME" test -L "$libdir/libciphora.so.1"
check "libciphora-dev holds the header, the link, the static library, CMake and pkg-config files" \
  test -f "$root/usr/include/ciphora/ciphora.h" -a -L "$libdir/libciphora.so" -a -f "$libdir/libciphora.a" \
  -a -f "$libdir/cmake/Ciphora/CiphoraConfig.cmake" -a -f "$libdir/pkgconfig/ciphora.pc"
check "libciphora-dev needs this very libciphora1" \
  sh -c "dpkg-deb -f '$work'/packages/libciphora-dev_*.deb Depends | grep -q 'libciphora1 (= $version)'"
check "ciphora depends on the C++ runtime" sh -c "dpkg-deb -f '$work'/packages/ciphora_*.deb Depends | grep -q 'libstdc++6'"
if ((${#emulator[@]} > 0)); then
  architecture=$(dpkg-deb -f "$work"/packages/ciphora_*.deb Architecture)
  check "the package is for the program's architecture" test "$architecture" = arm64
  # The C library's newest symbol version the program needs is within the
  # version the package asks for.
  needed=$(objdump -T "$root/usr/bin/ciphora" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -V | tail -n 1)
  declared=$(dpkg-deb -f "$work"/packages/ciphora_*.deb Depends | grep -o 'libc6 (>= [0-9.]*' | grep -o '[0-9.]*$')
  check "libc6 >= $declared covers GLIBC_$needed" test "$(printf '%s\n' "$needed" "$declared" | sort -V | tail -n 1)" = "$declared"
fi
check "ciphora needs no Qt" sh -c "! dpkg-deb -f '$work'/packages/ciphora_*.deb Depends | grep -qi qt"
if ls "$work"/packages/ciphora-bench_*.deb >/dev/null 2>&1; then
  check "the bench depends on Qt Widgets" sh -c "dpkg-deb -f '$work'/packages/ciphora-bench_*.deb Depends | grep -q libqt6widgets6"
  check "the bench and its desktop entry" test -x "$root/usr/bin/ciphora-bench" -a -f "$root/usr/share/applications/ciphora-bench.desktop"
  check "the bench's manual page" sh -c "zcat '$root/usr/share/man/man1/ciphora-bench.1.gz' | grep -q '^.TH CIPHORA-BENCH 1'"
fi

check "Debian's lintian finds no error or warning" \
  lintian --fail-on error,warning "$work"/packages/*.deb

summary
