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
exec wine "$prog" "$@"
