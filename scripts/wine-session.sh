#!/usr/bin/env bash
# Starts or stops a private Wine session for the tests: a virtual X display (Xvfb), a Wine prefix
# and its server, all kept under one state folder of the build. Never touches ~/.wine.
#   wine-session.sh start STATE_DIR [win32|win64 [i386|amd64]]
#   wine-session.sh stop  STATE_DIR
# PAGIX_WINE_DPI (say 144 or 192) makes a prefix whose screen has that many pixels per inch, and
# PAGIX_WINE_HIGH_CONTRAST=1 one with a white-on-black colour scheme; both are set in the new
# prefix before any program of the session's desktop starts, since programs read them at start.
# The prefix stands for 32-bit Windows (win32, the default) or 64-bit Windows (win64, where the
# 32-bit programs run under WoW64, as on every Windows 11). The programs the session runs are
# 32-bit ones (i386, the default) or, in a win64 prefix, the 64-bit build's (amd64), which start
# also where the kernel cannot start 32-bit programs. The state folder keeps both choices in its
# files "arch" and "machine", which wine-run.sh reads, so that every program of the session uses
# the same.
set -euo pipefail

usage="usage: wine-session.sh start STATE_DIR [win32|win64 [i386|amd64]] | stop STATE_DIR"
action=${1:?$usage}
state=${2:?$usage}
mkdir -p "$state"
state=$(cd "$state" && pwd)

# A prefix keeps the architecture it was made with; its registry names it.
recorded=$(sed -n 's/^#arch=//p' "$state/prefix/system.reg" 2>/dev/null | head -n 1 || true)
arch=${3:-${recorded:-win32}}
case "$arch" in
  win32 | win64) ;;
  *) echo "wine-session: unknown architecture $arch; $usage" >&2; exit 2 ;;
esac
machine=${4:-i386}
case "$arch:$machine" in
  *:i386 | win64:amd64) ;;
  *) echo "wine-session: a $arch prefix cannot run $machine programs; $usage" >&2; exit 2 ;;
esac
if [ "$action" = start ] && [ -n "$recorded" ] && [ "$recorded" != "$arch" ]; then
  echo "wine-session: $state/prefix is a $recorded prefix; remove it to make a $arch one" >&2
  exit 1
fi

export WINEPREFIX="$state/prefix" WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

# The session's own programs (cmd, reg, the desktop) are 64-bit ones in a 64-bit prefix: the
# 64-bit loader starts them without a 32-bit process, which matters where those are emulated.
wine=wine
if [ "$arch" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then
  wine=/usr/lib/wine/wine64
fi

# True while this prefix's desktop process (explorer.exe /desktop) runs.
desktop_running() {
  local pid
  for pid in $(pgrep -f 'explorer.exe /desktop' 2>/dev/null); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

pid_alive() { [ -s "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# Prints why this machine cannot run the session's programs, or nothing when it can: only the
# 32-bit ones may not start (windows-tier.sh).
why_unavailable() {
  [ "$machine" = i386 ] || return 0
  "$(dirname "$0")/windows-tier.sh" --why-not
}

start() {
  # Without 32-bit programs there is no session for them: every Windows test of the 32-bit build
  # then reports itself skipped, with this reason (wine-run.sh). `make test` runs the 64-bit
  # build there instead.
  local reason
  reason=$(why_unavailable)
  if [ -n "$reason" ]; then
    echo "$reason" >"$state/unavailable"
    echo "wine-session: no Wine session: $reason; the Windows tests will be skipped" >&2
    return 0
  fi
  rm -f "$state/unavailable"
  echo "$arch" >"$state/arch"
  echo "$machine" >"$state/machine"
  if ! pid_alive "$state/xvfb.pid"; then
    rm -f "$state/display"
    # -displayfd picks a free display number and writes it to fd 3 once the server is ready.
    # A screen of 1024 x 768 pixels at 96 DPI; at a higher DPI it keeps its size in inches.
    local dpi=${PAGIX_WINE_DPI:-96}
    local screen="$((1024 * dpi / 96))x$((768 * dpi / 96))x24"
    Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$state/display" >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 100); do
      [ -s "$state/display" ] && break
      pid_alive "$state/xvfb.pid" || { echo "wine-session: Xvfb did not start" >&2; exit 1; }
      sleep 0.1
    done
    [ -s "$state/display" ] || { echo "wine-session: Xvfb gave no display" >&2; exit 1; }
  fi
  export DISPLAY=":$(tr -d '\n' <"$state/display")"
  # A persistent server, one initialised prefix and the desktop process (which also serves the
  # shell's Program Manager DDE) started once, so each test program starts in milliseconds.
  # The server refuses to start for a prefix folder that does not exist yet.
  mkdir -p "$WINEPREFIX"
  local restart=0
  [ -f "$WINEPREFIX/system.reg" ] || restart=1
  wineserver -p >/dev/null 2>&1 || true  # fails when this prefix's server already runs
  "$wine" cmd /c exit >/dev/null 2>&1 </dev/null || true
  # Xvfb has no window manager: unmanaged windows close at once instead of Wine waiting for a
  # manager's answer for each closed dialog.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
  if [ -n "${PAGIX_WINE_DPI:-}" ]; then
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$PAGIX_WINE_DPI" /f \
      >/dev/null 2>&1 </dev/null
  fi
  if [ "${PAGIX_WINE_HIGH_CONTRAST:-0}" = 1 ]; then
    # White on black, as in the high-contrast scheme of Windows; as there, the visual style is
    # off, since its colours would take the place of the scheme's.
    local theme='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' colour
    "$wine" reg add "$theme" /v ThemeActive /d 0 /f >/dev/null 2>&1 </dev/null
    for colour in 'ButtonFace=0 0 0' 'ButtonText=255 255 255' 'Window=0 0 0' \
      'WindowText=255 255 255' 'GrayText=63 242 63' 'Hilight=26 235 255' 'HilightText=0 0 0'; do
      "$wine" reg add 'HKCU\Control Panel\Colors' /v "${colour%%=*}" /d "${colour#*=}" /f \
        >/dev/null 2>&1 </dev/null
    done
    # The style applied when the prefix was made left its colours in the server's memory, where
    # they outrank the registry's; a new server starts without them.
    restart=1
  fi
  # A prefix made just now is settled only under its second server: under the first, the shell's
  # window list cannot be reached over COM for a while, and a program that asks too early keeps
  # failing, so the installer would start Pagix itself instead of through the shell.
  if [ "$restart" = 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 || true
  fi
  # The desktop process would otherwise be started by the first test that opens a window and
  # inherit that test's output pipe, so ctest would wait for it until the session ends.
  if ! desktop_running; then
    "$wine" explorer.exe /desktop </dev/null >/dev/null 2>&1 &
    for _ in $(seq 100); do
      desktop_running && break
      sleep 0.1
    done
  fi
  echo "$DISPLAY" >"$state/display-name"
}

stop() {
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if pid_alive "$state/xvfb.pid"; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  fi
  rm -f "$state/xvfb.pid" "$state/display" "$state/display-name" "$state/unavailable"
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "wine-session: unknown action $action" >&2; exit 2 ;;
esac
