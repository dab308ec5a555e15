#!/usr/bin/env bash
# Installs the Debian packages that the three builds and the Wine test run need.
# Idempotent: quiet and quick when everything is already there.
set -euo pipefail

need_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1

packages=(
  cmake ninja-build make g++ clang libclang-rt-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 xvfb x11-utils imagemagick
  python3 python3-pefile gzip osslsigncode openssl valgrind locales
)

if [ "$(id -u)" != 0 ]; then
  sudo_cmd=sudo
else
  sudo_cmd=
fi

# The Japanese and Traditional Chinese locales, under which the double-byte scenarios start Wine
# (its ANSI code page follows LANG: 932 and 950).
make_locales() {
  local name
  for name in ja_JP zh_TW; do
    locale -a 2>/dev/null | grep -qix "$name.utf-\?8" && continue
    $sudo_cmd localedef -i "$name" -f UTF-8 "$name.UTF-8" >/dev/null 2>&1 ||
      echo "install-deps: could not make the locale $name.UTF-8" >&2
  done
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "$need_i386" = 0 ] && [ "${#missing[@]}" = 0 ]; then
  make_locales
  exit 0
fi
echo "install-deps: installing ${missing[*]}" >&2
[ "$need_i386" = 1 ] && $sudo_cmd dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update -qq >/dev/null
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
make_locales
