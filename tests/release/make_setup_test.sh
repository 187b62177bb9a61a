#!/usr/bin/env bash
# scripts/make-setup.sh end to end, one case per run: make_setup_test.sh CASE
#   build          the fixture: a Release setup from a small product folder (scratch/a)
#   reproducible   a second build from a copy of the folder elsewhere, in another tree: the same bytes
#   pe             no debug sections, a debug link, relocations, DYNAMIC_BASE and NX_COMPAT, no time stamp
#   signed         a throwaway certificate signs; the signature verifies; one changed byte fails it
#   bad-*          each bad input: one line naming the cause, a non-zero status, nothing under the output name
# Environment: KELTO_TEST_DIR (scratch folder), KELTO_PACKER, BUILD_DIR (where the cross-built liblzma is).
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
T=${KELTO_TEST_DIR:?KELTO_TEST_DIR names the scratch folder}
MAKE_SETUP=$ROOT/scripts/make-setup.sh
export JOBS=${JOBS:-2}
case=${1:?case}

die() { echo "FAIL: $*"; exit 1; }

# The product: a few text files and two binaries, flat, and one file no step of the setup takes (packed, and
# named in a warning).
make_product() {
  rm -rf "$1"; mkdir -p "$1"
  cp "$ROOT"/payload/data/* "$1/"
  head -c 300000 "$KELTO_PACKER" >"$1/Kelto Quorbel.exe"
  head -c 20000 "$KELTO_PACKER" >"$1/Uninstall.exe"
  printf 'release notes\n' >"$1/notes.txt"
}

# make_setup RELEASE_TREE ARGS...: runs the script, its output in $out_log and $err_log.
make_setup() {
  local tree=$1; shift
  out_log=$(mktemp); err_log=$(mktemp)
  KELTO_RELEASE_DIR=$tree bash "$MAKE_SETUP" "$@" >"$out_log" 2>"$err_log"
}

make_cert() {  # make_cert FOLDER: cert.pfx with password file pass.txt, and cert.pem
  mkdir -p "$1"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1/key.pem" -out "$1/cert.pem" -days 2 \
    -subj "/CN=Kelto Test Signing" >/dev/null 2>&1 || die "openssl req"
  printf 'correct horse\n' >"$1/pass.txt"
  openssl pkcs12 -export -inkey "$1/key.pem" -in "$1/cert.pem" -out "$1/cert.pfx" -passout "file:$1/pass.txt" ||
    die "openssl pkcs12"
}

sha() { sha256sum "$1" | cut -d' ' -f1; }

A=$T/a/out/setup.exe
need_fixture() { [ -f "$A" ] || die "no fixture setup at $A (release.build failed?)"; }

case $case in
  build)
    rm -rf "$T/a"; mkdir -p "$T/a/out"
    make_product "$T/a/product"
    make_setup "$T/a/tree" "$T/a/product" -o "$A" || { cat "$err_log"; die "make-setup failed"; }
    cat "$out_log"
    grep -q '^package: 7 entries' "$out_log" || die "no package summary"
    grep -qx 'make-setup: warning: the setup never installs "notes.txt"' "$err_log" ||
      die "no warning of the file no step takes: $(cat "$err_log")"
    grep -qx "sha256: $(sha "$A")" "$out_log" || die "printed hash is not the setup's"
    [ -f "$T/a/out/setup.debug" ] || die "no debug file beside the setup"
    ;;

  reproducible)
    need_fixture
    rm -rf "$T/b"; mkdir -p "$T/b/elsewhere/out"
    make_product "$T/b/elsewhere/product"
    touch -d '2001-02-03 04:05:06' "$T/b/elsewhere/product"/*
    B=$T/b/elsewhere/out/setup.exe
    make_setup "$T/b/other-tree" "$T/b/elsewhere/product" -o "$B" || { cat "$err_log"; die "make-setup failed"; }
    echo "first:  $(sha "$A")  $A"
    echo "second: $(sha "$B")  $B"
    cmp "$A" "$B" || die "two builds of the same inputs differ"
    cmp "$T/a/out/setup.debug" "$T/b/elsewhere/out/setup.debug" || die "the debug files differ"
    for f in "$A" "$T/a/out/setup.debug"; do
      ! grep -q -a -F -e "$ROOT" -e "$T" "$f" || die "$f holds a build path"
    done
    ;;

  pe)
    need_fixture
    headers=$(i686-w64-mingw32-objdump -h "$A") || die "objdump -h"
    ! grep -q ' \.debug_' <<<"$headers" || die "debug sections left in the setup"
    grep -q ' \.gnu_debuglink ' <<<"$headers" || die "no debug link"
    grep -q ' \.reloc ' <<<"$headers" || die "no relocations: the address can't be randomised"
    i686-w64-mingw32-objdump -h "$T/a/out/setup.debug" | grep -q ' \.debug_info ' || die "the debug file has no debug information"
    flags=$(i686-w64-mingw32-objdump -p "$A") || die "objdump -p"
    grep -qw DYNAMIC_BASE <<<"$flags" || die "DYNAMIC_BASE is off"
    grep -qw NX_COMPAT <<<"$flags" || die "NX_COMPAT is off"
    grep -q '^Subsystem.*Windows GUI' <<<"$flags" || die "not a GUI program"
    pe=$(od -An -tu4 -j60 -N4 "$A" | tr -d ' ')
    stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$A" | tr -d ' ')
    [ "$stamp" = 0 ] || die "PE header time stamp $stamp"
    echo "no debug sections; DYNAMIC_BASE, NX_COMPAT; time stamp 0"
    ;;

  signed)
    need_fixture
    rm -rf "$T/sig"; make_cert "$T/sig"
    S=$T/sig/out/setup.exe
    mkdir -p "$T/sig/out"
    make_setup "$T/a/tree" "$T/a/product" -o "$S" --sign "$T/sig/cert.pfx" --password-file "$T/sig/pass.txt" ||
      { cat "$err_log"; die "make-setup --sign failed"; }
    cat "$out_log"
    grep -q 'signature verified' "$out_log" || die "no verification reported"
    # Signing starts from the reproducible bytes.
    grep -qx "sha256 before signing: $(sha "$A")" "$out_log" || die "the signed setup was not made from the same build"
    osslsigncode verify -in "$S" -CAfile "$T/sig/cert.pem" >"$T/sig/verify.log" 2>&1 ||
      { cat "$T/sig/verify.log"; die "the signature does not verify"; }
    # One byte in the middle (the package) changed after signing.
    cp "$S" "$T/sig/tampered.exe"
    size=$(stat -c %s "$S")
    byte=$(od -An -tu1 -j$((size / 2)) -N1 "$S" | tr -d ' ')
    printf "\\$(printf '%03o' $(((byte + 1) % 256)))" |
      dd of="$T/sig/tampered.exe" bs=1 seek=$((size / 2)) conv=notrunc status=none
    ! cmp -s "$S" "$T/sig/tampered.exe" || die "the byte did not change"
    if osslsigncode verify -in "$T/sig/tampered.exe" -CAfile "$T/sig/cert.pem" >/dev/null 2>&1; then
      die "a changed setup still verifies"
    fi
    echo "signed setup verifies; with one byte changed it does not"
    ;;

  bad-*)
    W=$T/$case
    rm -rf "$W"; mkdir -p "$W/out"
    out=$W/out/setup.exe
    product=$W/product
    make_product "$product"
    extra=()
    case $case in
      bad-subfolder) mkdir "$product/Docs"; touch "$product/Docs/a.txt"; expect="Docs: sub-folders can't be packed" ;;
      bad-refused-name) touch "$product/NUL.txt"; expect='"NUL.txt" is not a name the setup can extract' ;;
      bad-trailing-dot) touch "$product/notes."; expect='"notes." is not a name the setup can extract' ;;
      bad-symlink)
        echo 'PRIVATE KEY' >"$W/signing-key.pem"; ln -s "$W/signing-key.pem" "$product/key.pem"
        expect="key.pem: symbolic links can't be packed" ;;
      bad-empty) rm -f "$product"/*; expect="the folder is empty" ;;
      bad-no-uninstaller) rm "$product/Uninstall.exe"; expect='the product lacks "Uninstall.exe"' ;;
      bad-missing) product=$W/no-such-folder; expect="no-such-folder: no such folder" ;;
      bad-wrong-password)
        make_cert "$W/cert"; echo 'wrong' >"$W/cert/wrong.txt"
        extra=(--sign "$W/cert/cert.pfx" --password-file "$W/cert/wrong.txt"); expect="wrong certificate password" ;;
      bad-unwritable-output)
        # Nothing can be created in /proc, whoever runs the test.
        out=/proc/kelto-setup.exe; expect="can't write into /proc" ;;
      *) die "unknown case $case" ;;
    esac
    # An earlier build's results under the same name must not survive a failed run either.
    [ "$out" = "$W/out/setup.exe" ] && { echo stale >"$out"; echo stale >"$W/out/setup.debug"; }
    make_setup "$W/tree" "$product" -o "$out" "${extra[@]}"
    rc=$?
    cat "$err_log"
    [ $rc != 0 ] || die "exit status 0"
    [ "$(wc -l <"$err_log")" = 1 ] || die "expected one line of error, got $(wc -l <"$err_log")"
    grep -q -F "$expect" "$err_log" || die "the error does not say: $expect"
    [ ! -s "$out_log" ] || die "printed results: $(cat "$out_log")"
    [ ! -e "$out" ] || die "something is left under $out"
    [ ! -e "${out%.exe}.debug" ] || die "a debug file is left beside $out"
    [ -z "$(ls -A "$W/out")" ] || die "left in the output folder: $(ls -A "$W/out")"
    ;;

  *) die "unknown case $case" ;;
esac
echo "ok: $case"
