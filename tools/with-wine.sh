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

# Bump when the settings below change, so that existing prefixes get them too.
settings_mark="$WINEPREFIX/.tolvanix-settings-2"
if [ ! -f "$settings_mark" ]; then
    echo "with-wine: preparing the Wine prefix $WINEPREFIX"
    [ -f "$WINEPREFIX/system.reg" ] || wine wineboot -u >/dev/null 2>&1
    wineserver -w
    reg() { wine reg add "$@" /f >/dev/null 2>&1; }
    # No window manager here: unmanaged windows hide and close without a 2 s stall.
    reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
    # A crash must fail the test, not wait on a dialog.
    reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
    # Japanese texts drawn with the free IPA fonts, proportional like the Windows ones.
    reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic
    reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v Tahoma /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic'
    wineserver -w
    touch "$settings_mark"
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
