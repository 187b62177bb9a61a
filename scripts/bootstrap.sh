#!/usr/bin/env bash
# Installs everything the build and the tests need on a fresh Debian 12 machine (as root), cross-builds a
# static liblzma for i686, and where the kernel refuses 32-bit programs sets up a user-mode runner for them.
# Safe to run again: it only does what is missing.
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

# An index of the archive can be in mid-sync ("File has unexpected size"), often one the project never reads:
# that is no reason to stop. Only a package that then cannot be installed is.
apt_update() {
  apt-get update -qq "$@" && return 0
  log "apt-get update reported an error; trying again in 20 s"
  sleep 20
  apt-get update -qq "$@" && return 0
  log "apt-get update still reports an error for some index; going on with the lists it has"
}

install_packages() {
  local miss
  miss=$(missing_packages)
  [ -z "$miss" ] && return 0
  need_root
  log "installing: $(echo $miss | tr '\n' ' ')"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  ensure_deb_src
  apt_update
  apt-get install -y -qq --no-install-recommends "${PACKAGES[@]}" >/dev/null && return 0
  # With one architecture's index of the security suite missing, that suite's newer amd64 libraries have no i386
  # twins and the resolver gives up: the release's own suite has both.
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [ -n "$codename" ]; then
    log "retrying with the packages of $codename itself preferred"
    apt-get install -y -qq --no-install-recommends -t "$codename" "${PACKAGES[@]}" >/dev/null && return 0
  fi
  local p bad=""
  for p in $(missing_packages); do
    apt-get install -s -qq --no-install-recommends ${codename:+-t "$codename"} "$p" >/dev/null 2>&1 || bad+=" $p"
  done
  [ -n "$bad" ] || bad=" (see the messages of apt-get above)"
  log "cannot install:$bad"; exit 1
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
    apt_update
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

runs_32bit() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# Where the kernel refuses 32-bit programs (its 32-bit emulation switched off), a user-mode emulator runs them:
# the static qemu-i386 of Debian's next release, registered with binfmt_misc for i386 ELF programs, so Wine's
# 32-bit loader and everything it starts go through it. Debian 12's own emulator spends most of a minute in each
# Wine process's start-up. Any step refused leaves the 64-bit test build as the fallback (see test.sh).
QEMU_SUITE=trixie
I386_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
I386_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

no_runner() { log "no 32-bit runner ($*): the Wine suites run on the 64-bit test build instead"; return 1; }

# The next release's index lives in a private apt state made for this one download: the machine's own sources
# and lists never see that suite, so nothing can ever be installed from it.
fetch_qemu() {
  local dest=$1 tmp f
  tmp=$(mktemp -d)
  mkdir -p "$tmp/parts" "$tmp/lists/partial" "$tmp/cache/archives/partial" "$tmp/deb"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk -v suite="$QEMU_SUITE" 'BEGIN{RS=""; ORS="\n\n"}
      /debian-archive-keyring/ && /URIs:[^\n]*\/debian\/?(\n|$)/ { sub(/Suites:[^\n]*/, "Suites: " suite); print }' "$f"
  done >"$tmp/parts/next.sources"
  if [ -f /etc/apt/sources.list ]; then
    sed -n "s|^deb \(\[[^]]*\] \)\?\([^ ]*/debian/\?\) .*$|deb \1\2 $QEMU_SUITE main|p" /etc/apt/sources.list |
      head -1 >"$tmp/parts/next.list"
  fi
  if [ ! -s "$tmp/parts/next.sources" ] && [ ! -s "$tmp/parts/next.list" ]; then
    rm -rf "$tmp"; no_runner "no Debian archive among the machine's apt sources"; return 1
  fi
  local apt=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$tmp/parts" -o Dir::State::Lists="$tmp/lists"
    -o Dir::Cache="$tmp/cache" -o Dir::State::status=/dev/null -o APT::Architectures="$(dpkg --print-architecture)"
    -o Acquire::Languages=none -o APT::Sandbox::User=root)
  log "fetching qemu-user from $QEMU_SUITE for a 32-bit runner"
  apt_update "${apt[@]}"
  if ! ( cd "$tmp/deb" && apt-get "${apt[@]}" download -qq qemu-user >/dev/null 2>&1 ); then
    rm -rf "$tmp"; no_runner "qemu-user of $QEMU_SUITE could not be downloaded"; return 1
  fi
  mkdir -p "$(dirname "$dest")"
  if ! dpkg-deb --fsys-tarfile "$tmp"/deb/qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 >"$dest.part" ||
    ! chmod 755 "$dest.part" || ! "$dest.part" --version >/dev/null 2>&1; then
    rm -rf "$tmp" "$dest.part"; no_runner "the package holds no working qemu-i386"; return 1
  fi
  mv "$dest.part" "$dest"
  rm -rf "$tmp"
}

setup_32bit_runner() {
  runs_32bit && return 0
  [ "$(id -u)" = 0 ] || { no_runner "not root"; return 1; }
  local qemu=$DEPS/qemu-user/qemu-i386 bm=/proc/sys/fs/binfmt_misc
  [ -x "$qemu" ] || fetch_qemu "$qemu" || return 1
  if [ ! -e "$bm/register" ]; then
    mount -t binfmt_misc binfmt_misc "$bm" 2>/dev/null || { no_runner "binfmt_misc cannot be mounted"; return 1; }
  fi
  # A registration of the same name from before (another path, a file since removed) gives way to this one.
  if [ -e "$bm/qemu-i386" ]; then echo -1 >"$bm/qemu-i386" 2>/dev/null || true; fi
  # F: the kernel opens the emulator now, so it serves every later process whatever its root or this folder's fate;
  # P: programs see their own argv[0].
  printf ':qemu-i386:M::%s:%s:%s:FP' "$I386_MAGIC" "$I386_MASK" "$qemu" >"$bm/register" 2>/dev/null ||
    { no_runner "binfmt_misc refused the registration"; return 1; }
  runs_32bit || { no_runner "a 32-bit program still does not start"; return 1; }
  log "32-bit programs now start through $qemu (binfmt_misc)"
}

install_packages
mkdir -p "$DEPS"
build_lzma i686
setup_32bit_runner || true
# The x86_64 build of the Windows tree exists for testing only where 32-bit programs cannot start (see test.sh).
runs_32bit || build_lzma x86_64
log "ready"
