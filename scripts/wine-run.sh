#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's private session (see wine-session.sh).
# Used by ctest as the cross-compiling emulator. The session folder is PAGIX_WINE_STATE, or
# build/win32/wine beside this script's project.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
state=${PAGIX_WINE_STATE:-$here/../build/win32/wine}
if [ ! -s "$state/display-name" ]; then
  "$here/wine-session.sh" start "$state"
fi
export WINEPREFIX="$state/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export DISPLAY
DISPLAY=$(cat "$state/display-name")
exec wine "$@"
