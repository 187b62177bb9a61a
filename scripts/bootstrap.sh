#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine (as root), then
# cross-builds a static liblzma for i686. Safe to run again: it only does what is missing.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD_DIR:-$ROOT/build}
DEPS=$BUILD/deps
export DEBIAN_FRONTEND=noninteractive

PACKAGES=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools cmake make clang libclang-rt-14-dev
  wine wine32:i386 wine64 xvfb xauth imagemagick x11-utils
  googletest libgtest-dev liblzma-dev xz-utils dpkg-dev fonts-wine osslsigncode openssl clang-format
)

log() { printf '[bootstrap] %s\n' "$*"; }

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || printf '%s\n' "$p"
  done
}

need_root() {
  if [ "$(id -u)" != 0 ]; then
    log "missing packages and not root: run this as root once"; exit 1
  fi
}

# deb-src entries mirror the machine's own deb entries, so no archive address is kept here.
ensure_deb_src() {
  local out=/etc/apt/sources.list.d/kelto-build-src.sources
  [ -s "$out" ] && return 0
  grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources && return 0
  grep -qs '^deb-src ' /etc/apt/sources.list && return 0
  local f tmp
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # keep only the Debian stanzas (the ones signed by the archive keyring)
    awk 'BEGIN{RS=""; ORS="\n\n"} /debian-archive-keyring/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" >>"$tmp"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list >/etc/apt/sources.list.d/kelto-build-src.list || true
  fi
  if [ -s "$tmp" ]; then cp "$tmp" "$out"; fi
  rm -f "$tmp"
  SRC_ADDED=1
}

install_packages() {
  local miss
  miss=$(missing_packages)
  [ -z "$miss" ] && return 0
  need_root
  log "installing: $(echo $miss | tr '\n' ' ')"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  ensure_deb_src
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null
}

build_lzma() {
  local arch=$1
  local prefix=$DEPS/liblzma-$arch
  [ -f "$prefix/lib/liblzma.a" ] && return 0
  log "cross-building liblzma for $arch"
  local src=$DEPS/src
  rm -rf "$src"; mkdir -p "$src"
  if ! ( cd "$src" && apt-get source --download-only xz-utils >/dev/null 2>&1 ); then
    need_root
    SRC_ADDED=0
    ensure_deb_src
    apt-get update -qq
    ( cd "$src" && apt-get source --download-only xz-utils >/dev/null )
  fi
  ( cd "$src" && dpkg-source -x --skip-patches ./xz-utils_*.dsc xz >/dev/null )
  cmake -S "$src/xz" -B "$src/build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$src/build" --target liblzma -j"$(nproc)" >/dev/null
  cmake --install "$src/build" >/dev/null 2>&1 || true
  [ -f "$prefix/lib/liblzma.a" ] || { log "liblzma cross-build failed"; exit 1; }
  rm -rf "$src"
}

install_packages
mkdir -p "$DEPS"
build_lzma i686
# The x86_64 build of the Windows tree exists for testing where 32-bit programs cannot start (see test.sh).
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then build_lzma x86_64; fi
log "ready"
