#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix, creating the prefix on first use.
# QOR_WINEPREFIX overrides the prefix; the default lies beside the program's build folder.
set -euo pipefail
prog=$1; shift
: "${QOR_WINEPREFIX:=$(cd "$(dirname "$prog")/.." && pwd)/wineprefix}"
export WINEPREFIX=$QOR_WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  ( flock 9
    [ -f "$WINEPREFIX/system.reg" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
  ) 9>"$WINEPREFIX.lock"
fi
# Windows need a display driver: without an X display, Wine's null driver gives windows that draw
# nothing but take messages (the spy viewer's test). Set once per prefix.
if [ -z "${DISPLAY:-}" ] && [ ! -f "$WINEPREFIX/.qor-null-graphics" ]; then
  ( flock 9
    [ -f "$WINEPREFIX/.qor-null-graphics" ] || {
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 && wineserver -w &&
        touch "$WINEPREFIX/.qor-null-graphics"; }
  ) 9>"$WINEPREFIX.lock"
fi
# Start the server and Wine's own system processes detached from our output first: started by the
# program's own launch, they would inherit the caller's pipes and hold them open for seconds after the
# program ends (ctest and execute_process wait for those pipes to close).
wineboot </dev/null >/dev/null 2>&1 || true
exec wine "$prog" "$@"
