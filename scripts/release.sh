#!/usr/bin/env bash
# `make release`: builds PagixSetup.exe with the host and win32 presets and puts it into
# build/release with SHA256SUMS. Signs Pagix.exe and uninstall.exe (before they are packed into
# the payload) and PagixSetup.exe when a certificate is given:
#   PAGIX_SIGN_CERT + PAGIX_SIGN_KEY   PEM certificate (chain) and private key, or
#   PAGIX_SIGN_PKCS12                  a PKCS#12 file with both;
#   PAGIX_SIGN_PASSWORD_FILE           the key's password, when it has one.
# The signing time is SOURCE_DATE_EPOCH, or the time of the checked-out commit.
# PAGIX_SIGNATURES_FROM names a published signed release instead: each rebuilt program takes over
# the signature of its namesake there, which fits only a program rebuilt bit for bit.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

absolute() { [ -z "$1" ] && return 0; realpath -e "$1"; }
cert=$(absolute "${PAGIX_SIGN_CERT:-}")
key=$(absolute "${PAGIX_SIGN_KEY:-}")
pkcs12=$(absolute "${PAGIX_SIGN_PKCS12:-}")
password=$(absolute "${PAGIX_SIGN_PASSWORD_FILE:-}")
published=$(absolute "${PAGIX_SIGNATURES_FROM:-}")
signed=0
[ -n "$pkcs12" ] || [ -n "$cert" ] || [ -n "$key" ] && signed=1

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
if [ "$signed" = 1 ] && [ -z "$epoch" ]; then
  echo "release: set SOURCE_DATE_EPOCH (the signing time); there is no commit to take it from" >&2
  exit 1
fi
[ "$signed" = 1 ] || epoch=
[ -n "$published" ] && signed=1

jobs=${PAGIX_RELEASE_JOBS:-2}
cmake --preset host >/dev/null
cmake --build --preset host --target pagix_build_tools -j "$jobs"
# Every release states its signing settings, so an earlier signed build never carries over.
cmake --preset win32 -DPAGIX_SIGN_CERT="$cert" -DPAGIX_SIGN_KEY="$key" \
  -DPAGIX_SIGN_PKCS12="$pkcs12" -DPAGIX_SIGN_PASSWORD_FILE="$password" \
  -DPAGIX_SIGN_TIME="$epoch" -DPAGIX_SIGNATURES_FROM="$published" >/dev/null
cmake --build --preset win32 --target PagixSetup -j "$jobs"

out=build/release
rm -rf "$out"
mkdir -p "$out"
cp build/win32/PagixSetup.exe "$out/"
if [ "$signed" = 1 ]; then
  cp build/win32/product/bin/Pagix.exe build/win32/product/bin/uninstall.exe "$out/"
fi
(cd "$out" && sha256sum -- *.exe >SHA256SUMS)
if [ -n "$published" ]; then
  echo "release: $out (with the signatures of $published)"
elif [ "$signed" = 1 ]; then
  echo "release: $out (signed, signing time $epoch)"
else
  echo "release: $out (unsigned: no PAGIX_SIGN_CERT/PAGIX_SIGN_KEY or PAGIX_SIGN_PKCS12 given)"
fi
