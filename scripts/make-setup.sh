#!/usr/bin/env bash
# From a product folder to a setup.exe to publish: packs the folder, builds a Release setup that carries the
# package, keeps its debug information in a file beside it, signs it when given a certificate and checks the
# signature. The same folder, sources and output name give the same unsigned bytes on every build.
#   make-setup.sh PRODUCT_FOLDER -o OUT.exe [--sign CERT.pfx --password-file FILE] [--timestamp-url URL]
# Writes OUT.exe and its debug information (OUT.debug, named in the executable's debug link). On any error:
# one line naming the cause, a non-zero status, and nothing under the output's name.
# Environment: BUILD_DIR (default build/), KELTO_RELEASE_DIR (the release trees, default $BUILD_DIR/release),
# KELTO_PACKER (a packager to use instead of building one), JOBS.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
B=${BUILD_DIR:-$ROOT/build}
R=${KELTO_RELEASE_DIR:-$B/release}
JOBS=${JOBS:-$(nproc)}
OBJCOPY=i686-w64-mingw32-objcopy

usage() { sed -n '5p' "$0" | sed 's/^#  */usage: /' >&2; exit 2; }
fail() { printf 'make-setup: %s\n' "$*" >&2; exit 1; }

folder= out= cert= passfile= tsurl=
while [ $# -gt 0 ]; do
  case "$1" in
    -o) [ $# -ge 2 ] || usage; out=$2; shift ;;
    --sign) [ $# -ge 2 ] || usage; cert=$2; shift ;;
    --password-file) [ $# -ge 2 ] || usage; passfile=$2; shift ;;
    --timestamp-url) [ $# -ge 2 ] || usage; tsurl=$2; shift ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    -*) usage ;;
    *) [ -z "$folder" ] || usage; folder=$1 ;;
  esac
  shift
done
[ -n "$folder" ] && [ -n "$out" ] || usage
[ -n "$cert" ] && [ -z "$passfile" ] && fail "--sign needs --password-file"
[ -z "$cert" ] && [ -n "$passfile" ] && fail "--password-file goes with --sign"
[ -z "$cert" ] && [ -n "$tsurl" ] && fail "--timestamp-url goes with --sign"

case "$out" in */) fail "$out: the output must be a file name" ;; esac
outdir=$(dirname -- "$out")
outname=$(basename -- "$out")
debugname=${outname%.exe}.debug
debugout=$outdir/$debugname
[ "$debugname" != "$outname" ] || fail "$out: the output needs a name other than its debug file's"

# From here on a failure leaves nothing under the output's name, not even an earlier build's.
work=
done_ok=0
cleanup() {
  [ -n "$work" ] && rm -rf -- "$work"
  if [ $done_ok = 0 ]; then
    [ -f "$out" ] && rm -f -- "$out"
    [ -f "$debugout" ] && rm -f -- "$debugout"
  fi
  return 0
}
trap cleanup EXIT

# Everything about the inputs is checked before anything is built.
[ -e "$folder" ] || fail "$folder: no such folder"
[ -d "$folder" ] || fail "$folder: not a folder"
[ -r "$folder" ] && [ -x "$folder" ] || fail "$folder: can't read the folder"
# A link would carry whatever it points at into the published setup.
link=$(find "$folder" -mindepth 1 -maxdepth 1 -type l -print -quit)
[ -z "$link" ] || fail "$link: symbolic links can't be packed, copy the file itself into the folder"
sub=$(find "$folder" -mindepth 1 -maxdepth 1 -type d -print -quit)
[ -z "$sub" ] || fail "$sub: sub-folders can't be packed, the package is flat"
[ -n "$(find "$folder" -mindepth 1 -maxdepth 1 -print -quit)" ] || fail "$folder: the folder is empty"

[ -d "$outdir" ] || fail "$out: the output's folder $outdir does not exist"
[ ! -d "$out" ] || fail "$out: is a folder"
# The results are made in a folder beside the output and renamed into place at the end.
work=$(mktemp -d "$outdir/.make-setup.XXXXXX" 2>/dev/null) || { work=; fail "$out: can't write into $outdir"; }

if [ -n "$cert" ]; then
  [ -f "$cert" ] && [ -r "$cert" ] || fail "$cert: can't read the certificate"
  [ -f "$passfile" ] && [ -r "$passfile" ] || fail "$passfile: can't read the password file"
  command -v osslsigncode >/dev/null || fail "osslsigncode is not installed (scripts/bootstrap.sh installs it)"
  # The signer's own chain, against which the signature is checked afterwards.
  if ! openssl pkcs12 -in "$cert" -passin "file:$passfile" -nokeys -out "$work/chain.pem" 2>"$work/pkcs12.log"; then
    if grep -q 'invalid password' "$work/pkcs12.log"; then fail "$cert: wrong certificate password"; fi
    fail "$cert: not a PKCS#12 certificate with its key"
  fi
  openssl pkcs12 -in "$cert" -passin "file:$passfile" -nocerts -nodes 2>/dev/null | grep -q 'PRIVATE KEY' ||
    fail "$cert: holds no private key to sign with"
fi

mkdir -p "$R"
exec 9>"$R/.lock"
flock 9
log=$R/build.log
: >"$log"
# run WHAT COMMAND...: the command's output goes to the log; a failure names WHAT.
run() {
  local what=$1; shift
  "$@" >>"$log" 2>&1 || fail "$what failed (see $log)"
}

BUILD_DIR=$B run "the machine's set-up" bash "$ROOT/scripts/bootstrap.sh"

packer=${KELTO_PACKER:-}
if [ -z "$packer" ]; then
  run "configuring the packager" cmake -S "$ROOT" -B "$R/native" -DCMAKE_BUILD_TYPE=Release -DKELTO_SANITIZE=OFF
  run "building the packager" cmake --build "$R/native" --target kelto-pack -j"$JOBS"
  packer=$R/native/kelto-pack
fi

# Packed beside the last package and swapped in only when different: an unchanged folder rebuilds nothing. The
# packager holds the folder against the product's file table: a file every install needs must be there, and a
# file no step takes is named.
pkg=$R/package/product.pkg
mkdir -p "$R/package"
if ! "$packer" --check "$folder" -o "$pkg.new" >"$work/pack.out" 2>"$work/pack.err"; then
  msg=$(grep -v 'warning:' "$work/pack.err" | tail -1 | sed 's/^kelto-pack: //')
  fail "${msg:-the packager failed}"
fi
grep 'warning:' "$work/pack.err" | sed 's/^kelto-pack: /make-setup: /' >&2 || true
if cmp -s "$pkg.new" "$pkg"; then rm -f "$pkg.new"; else mv -f "$pkg.new" "$pkg"; fi
sed -n 's/^kelto-pack: /package: /p' "$work/pack.out"

run "configuring the setup" cmake -S "$ROOT" -B "$R/win32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DKELTO_RELEASE=ON -DKELTO_DEPS_PREFIX="$B/deps/liblzma-i686" -DKELTO_PACKAGE="$pkg"
run "building the setup" cmake --build "$R/win32" --target setup -j"$JOBS"

# Debug information and symbols go to the debug file; the debug link names it and carries its checksum, so a
# debugger finds it beside the setup. objcopy writes a PE time stamp unless SOURCE_DATE_EPOCH gives one: 0, as
# the linker leaves it.
export SOURCE_DATE_EPOCH=0
run "splitting off the debug information" "$OBJCOPY" --only-keep-debug "$R/win32/setup.exe" "$work/$debugname"
run "stripping the debug information" "$OBJCOPY" --strip-all --add-gnu-debuglink="$work/$debugname" \
  "$R/win32/setup.exe" "$work/unsigned.exe"
final=$work/unsigned.exe
unsigned_sha=$(sha256sum "$final" | cut -d' ' -f1)

if [ -n "$cert" ]; then
  ts=()
  [ -n "$tsurl" ] && ts=(-ts "$tsurl")
  osslsigncode sign -pkcs12 "$cert" -readpass "$passfile" -h sha256 -n "Kelto Quorbel Setup" "${ts[@]}" \
    -in "$work/unsigned.exe" -out "$work/signed.exe" >"$work/sign.log" 2>&1 ||
    fail "signing failed: $(grep -v '^$' "$work/sign.log" | tail -1)"
  tsa=()
  [ -n "$tsurl" ] && tsa=(-TSA-CAfile /etc/ssl/certs/ca-certificates.crt)
  osslsigncode verify -in "$work/signed.exe" -CAfile "$work/chain.pem" "${tsa[@]}" >"$work/verify.log" 2>&1 ||
    fail "the signed setup does not verify: $(grep -v '^$' "$work/verify.log" | tail -1)"
  signer=$(sed -n 's/^[[:space:]]*Subject: //p' "$work/verify.log" | head -1)
  final=$work/signed.exe
fi

mv -f "$work/$debugname" "$debugout"
mv -f "$final" "$out"
done_ok=1

echo "setup: $out, $(stat -c %s "$out") bytes"
echo "sha256: $(sha256sum "$out" | cut -d' ' -f1)"
if [ -n "$cert" ]; then
  echo "signed by $signer${tsurl:+, time-stamped by $tsurl}; signature verified"
  echo "sha256 before signing: $unsigned_sha"
fi
echo "debug information: $debugout, $(stat -c %s "$debugout") bytes"
