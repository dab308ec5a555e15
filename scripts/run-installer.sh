#!/usr/bin/env bash
# `make run`: starts build/win32/PagixSetup.exe under Wine in a prefix of its own
# (build/win32/run-wine/prefix, apart from the test sessions); with the argument win64 (a machine
# that cannot start 32-bit programs, scripts/windows-tier.sh) the 64-bit build's, from build/win64
# in a 64-bit prefix.
#   - With a reachable X display ($DISPLAY): the installer opens there for you to use; when it
#     has ended, this script shows where the installation went.
#   - Without one: a private Xvfb display, on which the test driver performs a default
#     installation (Install, "Create Destination" OK, "Run Pagix now?" No) and saves a
#     screenshot of the dialog. Then the Wine server and Xvfb of this run are shut down.
# PAGIX_RUN_HEADLESS=1 forces the second way.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
tier=${1:-win32}
build=${PAGIX_RUN_BUILD:-$root/build/$tier}
setup=$build/PagixSetup.exe
driver=$build/tests/e2e/pagix_drive_install.exe
state=$build/run-wine
screenshot=$state/PagixSetup-dialog.png
capture=$state/PagixSetup-dialog.ppm
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pagix'

[ -f "$setup" ] || { echo "run-installer: $setup is missing (make win32 builds it)" >&2; exit 1; }
mkdir -p "$state/prefix"
export WINEPREFIX=$state/prefix WINEARCH=$tier WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
machine=i386
if [ "$tier" = win64 ]; then
  # Debian's wine script would try the 32-bit loader first, which such a machine cannot start.
  machine=amd64
  export WINELOADER=/usr/lib/wine/wine64
  wine() { /usr/lib/wine/wine64 "$@"; }
fi

# The value of one registry string of the uninstall entry, or nothing (also when there is no
# entry, where the query fails).
registry_value() {
  { wine reg query "$uninstall_key" /v "$1" 2>/dev/null || true; } | tr -d '\r' |
    sed -n "s/^ *$1 *REG_SZ *//p"
}

report() {
  local uninstall display_name destination group
  uninstall=$(registry_value UninstallString)
  display_name=$(registry_value DisplayName)
  echo
  echo "Wine prefix: $WINEPREFIX"
  if [ -z "$uninstall" ]; then
    echo "Nothing was installed: no installation completed in this run."
    return
  fi
  # The uninstall command is the destination folder followed by uninstall.exe.
  destination=${uninstall#\"}
  destination=${destination%\"}
  destination=${destination%uninstall.exe}
  destination=$(readlink -f "$(wine winepath.exe -u "$destination" 2>/dev/null | tr -d '\r')")
  group=$(find "$WINEPREFIX/drive_c" -type d -name Marrowby -path '*Start Menu*' 2>/dev/null |
    head -n 1)
  echo "Installed files:  ${destination%/}/ ($(find "$destination" -type f | wc -l) files)"
  echo "Uninstall entry:  HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pagix"
  echo "                  in $WINEPREFIX/system.reg"
  echo "                  DisplayName     = $display_name"
  echo "                  UninstallString = $uninstall"
  if [ -n "$group" ]; then
    echo "Start Menu group: $group/"
    (cd "$group" && for link in *; do echo "                  $link"; done)
  else
    echo "Start Menu group: none found"
  fi
}

# The prefix belongs to `make run`: an uninstall entry found afterwards was written by this run.
forget_earlier_run() {
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1 </dev/null || true
}

if [ "${PAGIX_RUN_HEADLESS:-0}" != 1 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting PagixSetup.exe on display $DISPLAY"
  # Your window manager places the windows (a headless run may have switched that off).
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  forget_earlier_run
  wine "$setup" || true
  report
  echo
  echo "Wine keeps running while Pagix or the group's window is open; to stop it:"
  echo "  WINEPREFIX=$WINEPREFIX wineserver -k"
  exit 0
fi

[ -f "$driver" ] || { echo "run-installer: $driver is missing (make win32 builds it)" >&2; exit 1; }
echo "No display at hand: a private Xvfb display, and a default installation driven by"
echo "$(basename "$driver")"

# The same private session as the tests use (Xvfb, server, desktop), kept in this run's folder
# and stopped when the script ends.
session=$root/scripts/wine-session.sh
trap '"$session" stop "$state"' EXIT
"$session" start "$state" "$tier" "$machine"
if [ -s "$state/unavailable" ]; then
  echo "run-installer: cannot run PagixSetup.exe here: $(cat "$state/unavailable")" >&2
  exit 1
fi
DISPLAY=$(cat "$state/display-name")
export DISPLAY

forget_earlier_run
status=0
wine "$driver" --setup="$setup" --screenshot="$capture" </dev/null | tr -d '\r' |
  tee "$state/drive.log" | sed 's/^/  driver: /' || status=$?
report
if grep -q '^SCREENSHOT=' "$state/drive.log" && convert "$capture" "$screenshot"; then
  rm -f "$capture"
  echo "Screenshot:       $screenshot"
fi
if [ "$status" != 0 ] || grep -q '^ERROR=' "$state/drive.log"; then
  echo "run-installer: the driven installation failed (see above)" >&2
  exit 1
fi
