#!/bin/sh
# The project's Wine prefix, made at $WINEPREFIX with whichever Wine is on the PATH: the host's,
# an i386 root's, the emulated machine's. The one recipe for all of them.
set -eu

# Bump when the settings below change, so that prefixes made earlier are made again.
mark="$WINEPREFIX/.tolvanix-prefix-4"
[ -f "$mark" ] && exit 0
echo "wine-prefix: making $WINEPREFIX ($(wine --version))"
export WINEDLLOVERRIDES=mscoree,mshtml=
wine wineboot -u
wineserver -w
reg() { wine reg add "$@" /f; }
# No window manager here: unmanaged windows hide and close without a 2 s stall.
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
# A crash must fail the test, not wait on a dialog.
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
# The Japanese faces drawn with the Ume fonts, made to their metrics, so that the dialogs look
# as laid out: the templates' "ＭＳ Ｐゴシック" (without a replacement Wine picks a monospaced
# face, and the dialog units come out wrong) and the controls' "MS UI Gothic". A .reg file in
# UTF-16, since the one face name is Japanese.
fonts="$WINEPREFIX/tolvanix-fonts.reg"
{ printf '\377\376'
  printf 'Windows Registry Editor Version 5.00\r\n\r\n%s\r\n%s\r\n%s\r\n%s\r\n' \
      '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
      '"ＭＳ Ｐゴシック"="Ume P Gothic"' '"MS PGothic"="Ume P Gothic"' \
      '"MS UI Gothic"="Ume UI Gothic"' | iconv -f UTF-8 -t UTF-16LE; } >"$fonts"
wine regedit /S "$fonts"
# Japanese captions in the default face fall back to the UI one.
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v Tahoma /t REG_MULTI_SZ /d 'ume-ugo4.ttf,Ume UI Gothic'
wineserver -w
touch "$mark"
