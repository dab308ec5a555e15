#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's private session (see wine-session.sh),
# which must be running. Used by ctest as the cross-compiling emulator. The session folder is
# PAGIX_WINE_STATE, or build/win32/wine beside this script's project; its prefix is a 32-bit or
# a 64-bit one, and its programs 32-bit or 64-bit ones, as the session recorded.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
state=${PAGIX_WINE_STATE:-$here/../build/win32/wine}
# The session found that this machine cannot run the programs: exit code 77 marks the test
# skipped (SKIP_RETURN_CODE), with the reason on stderr.
if [ -s "$state/unavailable" ]; then
  echo "wine-run: skipped: $(cat "$state/unavailable")" >&2
  exit 77
fi
if [ ! -s "$state/display-name" ]; then
  # Starting a session here would leave it running: sessions are started and stopped by their
  # owner (the ctest fixture, or by hand).
  echo "wine-run: no Wine session in $state; start one with: scripts/wine-session.sh start $state" >&2
  exit 2
fi
arch=$(cat "$state/arch" 2>/dev/null || echo win32)
export WINEPREFIX="$state/prefix" WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export DISPLAY
DISPLAY=$(cat "$state/display-name")
# The 64-bit build's programs go straight to the 64-bit loader: Debian's wine script would try
# the 32-bit one first, which a kernel without IA-32 emulation cannot start.
loader=wine
if [ "$(cat "$state/machine" 2>/dev/null)" = amd64 ]; then
  export WINELOADER=/usr/lib/wine/wine64
  loader=/usr/lib/wine/wine64
fi
# The program's output goes through a file. Wine ends the desktop's process once no program has
# used the desktop for a moment, and starts it again for the next program that needs it, with
# that program's output: were that ctest's pipe, ctest would wait for it until the session ends.
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
status=0
"$loader" "$@" >"$log" 2>&1 </dev/null || status=$?
cat "$log"
rm -f "$log"
exit "$status"
