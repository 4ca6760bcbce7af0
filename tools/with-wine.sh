#!/bin/sh
# Runs a command against the project's own Wine prefix under one virtual display,
# with the wineserver kept up for the whole run and shut down afterwards.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# A virtual display, unless the caller has a display to use (TOLVANIX_USE_DISPLAY); the
# script runs itself again inside it, once.
if [ -z "${TOLVANIX_USE_DISPLAY:-}" ] && [ -z "${TOLVANIX_UNDER_XVFB:-}" ]; then
    export TOLVANIX_UNDER_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

# Bump when the settings below change, so that existing prefixes get them too.
settings_mark="$WINEPREFIX/.tolvanix-settings-3"
if [ ! -f "$settings_mark" ]; then
    echo "with-wine: preparing the Wine prefix $WINEPREFIX"
    [ -f "$WINEPREFIX/system.reg" ] || wine wineboot -u >/dev/null 2>&1
    wineserver -w
    reg() { wine reg add "$@" /f >/dev/null 2>&1; }
    # No window manager here: unmanaged windows hide and close without a 2 s stall.
    reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
    # A crash must fail the test, not wait on a dialog.
    reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
    # The Japanese faces drawn with the Ume fonts, made to their metrics, so that the dialogs
    # look as laid out: the templates' "ＭＳ Ｐゴシック" (without a replacement Wine picks a
    # monospaced face, and the dialog units come out wrong) and the controls' "MS UI Gothic".
    # A .reg file in UTF-16, since the one face name is Japanese.
    fonts="$WINEPREFIX/tolvanix-fonts.reg"
    { printf '\377\376'
      printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n%s\r\n%s\r\n%s\r\n' \
          '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
          '"ＭＳ Ｐゴシック"="Ume P Gothic"' '"MS PGothic"="Ume P Gothic"' \
          '"MS UI Gothic"="Ume UI Gothic"' | iconv -f UTF-8 -t UTF-16LE; } >"$fonts"
    wine regedit /S "$fonts" >/dev/null 2>&1
    # Japanese captions in the default face fall back to the UI one.
    reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v Tahoma /t REG_MULTI_SZ /d 'ume-ugo4.ttf,Ume UI Gothic'
    wineserver -w
    touch "$settings_mark"
fi

# Start the server and the desktop process before the command, so that they do not
# inherit its output pipes (CTest would wait for them).
# (A desktop that fails to start here starts with the command's first window instead.)
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

status=0
"$@" || status=$?
# The command's status is the result; a server already gone is no failure of it.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
exit $status
