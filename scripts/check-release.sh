#!/usr/bin/env bash
# Proves that a release can be rebuilt bit for bit and that its signatures hold:
#   check-release.sh WORK_DIR
# Copies this source tree (the files git knows, as they are now) to two fresh folders of
# different path lengths below WORK_DIR and runs `make release`'s script in each, both signed with
# a throw-away certificate authority and the same signing time. Then every output must be equal
# byte for byte, osslsigncode must accept the signed programs against that authority and refuse
# a changed byte, and the PE headers must carry no link time and a correct checksum. Then the
# second tree builds again without a certificate, which must give an unsigned release, and with
# the first tree's signatures instead of the key, which must give the first tree's release.
# WORK_DIR/a stays for the end-to-end test that installs the signed release under Wine.
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:?usage: check-release.sh WORK_DIR}
rm -rf "$work"
mkdir -p "$work/keys"
work=$(cd "$work" && pwd)
keys=$work/keys

fail() {
  echo "check-release: $*" >&2
  exit 1
}

# A throw-away certificate authority and a code-signing certificate issued by it.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Pagix Throw-away CA" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" \
  -keyout "$keys/ca.key" -out "$keys/ca.pem" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Pagix Throw-away Signer" \
  -keyout "$keys/signer.key" -out "$keys/signer.csr" 2>/dev/null
printf '%s\n' "basicConstraints=CA:FALSE" "keyUsage=critical,digitalSignature" \
  "extendedKeyUsage=codeSigning" >"$keys/signer.ext"
openssl x509 -req -in "$keys/signer.csr" -CA "$keys/ca.pem" -CAkey "$keys/ca.key" \
  -set_serial 2 -days 2 -extfile "$keys/signer.ext" -out "$keys/signer.pem" 2>/dev/null
# The signing time must lie within the certificate's validity, which starts now.
epoch=$(date +%s)

copy_tree() {
  mkdir -p "$1"
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -xf - -C "$1"
}

release() {  # release TREE [signed | signatures-from RELEASE_DIR]
  local sign=(PAGIX_SIGN_CERT= PAGIX_SIGN_KEY= PAGIX_SIGN_PKCS12= PAGIX_SIGN_PASSWORD_FILE=
    PAGIX_SIGNATURES_FROM= SOURCE_DATE_EPOCH="$epoch")
  case "${2:-}" in
    signed) sign+=(PAGIX_SIGN_CERT="$keys/signer.pem" PAGIX_SIGN_KEY="$keys/signer.key") ;;
    signatures-from) sign+=(PAGIX_SIGNATURES_FROM="$3") ;;
  esac
  env "${sign[@]}" bash "$1/scripts/release.sh"
}

a=$work/a
b=$work/second-tree
for tree in "$a" "$b"; do
  copy_tree "$tree"
  release "$tree" signed >"$tree.log" 2>&1 || { cat "$tree.log"; fail "release in $tree failed"; }
  tail -n 1 "$tree.log"
done

# The release folder, the product programs and every packed payload item.
outputs=(build/release build/win32/product/bin build/win32/payload/items)
for out in "${outputs[@]}"; do
  diff -r --brief "$a/$out" "$b/$out" || fail "$out differs between the two builds"
done

# The installer tests compare installed files with the staged tree, so its copies must verify too.
signed_files=("$a"/build/release/{PagixSetup,Pagix,uninstall}.exe
  "$a"/build/win32/payload/tree/{Pagix,uninstall}.exe)
for exe in "${signed_files[@]}"; do
  osslsigncode verify -CAfile "$keys/ca.pem" -in "$exe" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log"; fail "$exe does not verify"; }
done
/usr/bin/python3 - "$a"/build/release/*.exe <<'EOF' || fail "PE header check failed"
import sys, pefile
for path in sys.argv[1:]:
    pe = pefile.PE(path, fast_load=True)
    assert pe.FILE_HEADER.TimeDateStamp == 0, "%s has a link time" % path
    assert pe.OPTIONAL_HEADER.CheckSum == pe.generate_checksum(), "%s: wrong checksum" % path
EOF

# One changed byte in the middle of the signed installer (its payload) breaks the signature.
tampered=$work/tampered.exe
cp "$a/build/release/PagixSetup.exe" "$tampered"
/usr/bin/python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read())
d[len(d) // 2] ^= 1; open(sys.argv[1], "wb").write(d)' "$tampered"
if osslsigncode verify -CAfile "$keys/ca.pem" -in "$tampered" >/dev/null 2>&1; then
  fail "a changed byte still verifies"
fi

# Without a certificate the same tree gives an unsigned release, and says so.
release "$b" >"$b-unsigned.log" 2>&1 || { cat "$b-unsigned.log"; fail "unsigned release failed"; }
tail -n 1 "$b-unsigned.log" | grep -q unsigned || fail "the unsigned release did not say so"
for exe in "$b/build/release/PagixSetup.exe" "$b/build/win32/product/bin/Pagix.exe"; do
  if osslsigncode verify -CAfile "$keys/ca.pem" -in "$exe" >/dev/null 2>&1; then
    fail "$exe of the unsigned release carries a signature"
  fi
done

# Anyone can rebuild the signed release without its key: the published signatures fit only the
# programs rebuilt bit for bit. The unsigned installer is not such a program.
cp "$b/build/release/PagixSetup.exe" "$work/PagixSetup.exe"
if /usr/bin/python3 "$root/scripts/finish_pe.py" --signatures-from "$a/build/release" \
  "$work/PagixSetup.exe" >/dev/null 2>&1; then
  fail "a published signature was attached to a different program"
fi
release "$b" signatures-from "$a/build/release" >"$b-attached.log" 2>&1 ||
  { cat "$b-attached.log"; fail "release with the published signatures failed"; }
diff -r --brief "$a/build/release" "$b/build/release" ||
  fail "the release rebuilt with the published signatures differs from it"
echo "check-release: two builds identical, signatures valid, a changed byte refused," \
  "the signed release rebuilt from its published signatures"
