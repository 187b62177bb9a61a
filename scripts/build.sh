#!/usr/bin/env bash
# Builds both trees: the native one (portable core, tests, packager) and the Windows one (setup.exe with the
# stand-in payload, test programs). Set-up of the machine comes first and is skipped when done.
#   build.sh [--fuzz]   also configure and build the clang fuzz tree
#   build.sh --demo     only what the demo runs: the packager, setup.exe and walk.exe
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
B=${BUILD_DIR:-$ROOT/build}
JOBS=${JOBS:-$(nproc)}
fuzz=0
native_targets=() win_targets=()
case "${1:-}" in
  --fuzz) fuzz=1 ;;
  --demo) native_targets=(--target kelto-pack) win_targets=(--target setup walk) ;;
esac

BUILD_DIR=$B bash "$ROOT/scripts/bootstrap.sh"

step() { printf '[build] %s\n' "$*"; }

step "native tree (ASan/UBSan)"
cmake -S "$ROOT" -B "$B/native" -DCMAKE_BUILD_TYPE=Debug -DKELTO_SANITIZE=ON >/dev/null
cmake --build "$B/native" -j"$JOBS" "${native_targets[@]}"

if [ $fuzz = 1 ]; then
  step "fuzz tree (clang, libFuzzer)"
  CC=clang CXX=clang++ cmake -S "$ROOT" -B "$B/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELTO_SANITIZE=OFF \
    -DKELTO_FUZZ=ON >/dev/null
  cmake --build "$B/fuzz" -j"$JOBS"
fi

step "Windows tree (mingw-w64 i686)"
cmake -S "$ROOT" -B "$B/win32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DKELTO_DEPS_PREFIX="$B/deps/liblzma-i686" -DKELTO_PACKER="$B/native/kelto-pack" >/dev/null
cmake --build "$B/win32" -j"$JOBS" "${win_targets[@]}"
step "setup: $B/win32/setup.exe"

# Where the kernel cannot start 32-bit programs, Wine cannot run the setup above: the same sources built for
# x86-64 are what the Wine suites and the demo run there (see test.sh).
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  step "64-bit test tree (mingw-w64 x86_64): this machine cannot start 32-bit programs"
  cmake -S "$ROOT" -B "$B/win64" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DKELTO_DEPS_PREFIX="$B/deps/liblzma-x86_64" -DKELTO_PACKER="$B/native/kelto-pack" >/dev/null
  cmake --build "$B/win64" -j"$JOBS" "${win_targets[@]}"
fi
