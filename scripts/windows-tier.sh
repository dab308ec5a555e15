#!/usr/bin/env bash
# Which Windows tier this machine runs: prints win32 where Wine can start the 32-bit programs
# (the released ones), or win64, the 64-bit build of the same sources, where it cannot: a kernel
# without IA-32 emulation refuses every 32-bit program, and one that emulates them with qemu-i386
# through binfmt_misc is about a hundred times too slow for the tests' bounded waits
# (PAGIX_WINE_EMULATED=1 accepts that all the same, for a person's own runs). It says which in
# one line on stderr, and why when it is win64. PAGIX_WINDOWS_TIER=win64 chooses the 64-bit build
# anyway.
#   windows-tier.sh            the tier
#   windows-tier.sh --why-not  why the 32-bit programs cannot run here, or nothing
set -euo pipefail

why_not() {
  local loader=/usr/lib/wine/wine
  [ -x "$loader" ] || return 0  # no Debian wine32: starting Wine reports what is missing
  if ! "$loader" --version >/dev/null 2>&1; then
    echo "this machine cannot start 32-bit programs (its kernel has no IA-32 emulation)"
  elif grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386 &&
    [ "${PAGIX_WINE_EMULATED:-0}" != 1 ]; then
    echo "this machine starts 32-bit programs only through qemu-i386 emulation (too slow;" \
      "PAGIX_WINE_EMULATED=1 runs them all the same)"
  fi
}

if [ "${1:-}" = --why-not ]; then
  why_not
  exit 0
fi
reason=$(why_not)
if [ "${PAGIX_WINDOWS_TIER:-}" = win64 ]; then
  reason="PAGIX_WINDOWS_TIER=win64 asks for it"
elif [ -z "$reason" ]; then
  echo "Windows tier: the 32-bit programs, in 32- and 64-bit Wine prefixes" >&2
  echo win32
  exit 0
fi
echo "Windows tier: the 64-bit build in a 64-bit Wine prefix, since $reason" >&2
echo win64
