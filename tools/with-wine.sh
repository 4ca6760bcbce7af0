#!/bin/sh
# Runs a command against the project's own Wine prefix under one virtual display,
# with the wineserver kept up for the whole run and shut down afterwards.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ -z "${TOLVANIX_IN_DISPLAY:-}" ]; then
    export TOLVANIX_IN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "with-wine: creating the Wine prefix $WINEPREFIX"
    wine wineboot -u >/dev/null 2>&1
    wineserver -w
    # No window manager here: unmanaged windows hide and close without a 2 s stall.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # A crash must fail the test, not wait on a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
fi

# Start the server and the desktop process before the command, so that they do not
# inherit its output pipes (CTest would wait for them).
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

status=0
"$@" || status=$?
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
exit $status
