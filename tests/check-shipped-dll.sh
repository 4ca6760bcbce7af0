#!/bin/sh
# The shipped 32-bit DLL as the host sees it: machine, export table and imports.
set -eu
dll=$1
objdump=i686-w64-mingw32-objdump
fail() { echo "FAIL: $*"; exit 1; }

[ -f "$dll" ] || fail "no DLL at $dll"
headers=$($objdump -p "$dll")

echo "$headers" | grep -q "file format pei-i386" || fail "not PE32 for i386"

echo "$headers" | grep -q "^Name .*Tolvanix.dll" || fail "export table does not name Tolvanix.dll"
echo "$headers" | grep -q "^Ordinal Base[[:space:]]*2$" || fail "ordinal base is not 2"

exports=$(echo "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep '\[' | grep -v Table |
    sed 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//' | sort | tr '\n' ' ')
[ "$exports" = "BKC_OnExit BKC_OnPlugInInfo BKC_OnPlugInSetup " ] || fail "exports are: $exports"

for pair in "2 BKC_OnExit" "13 BKC_OnPlugInSetup" "14 BKC_OnPlugInInfo"; do
    ordinal=${pair%% *}
    name=${pair#* }
    # The table lists the ordinal less the base beside each name.
    hint=$((ordinal - 2))
    echo "$headers" | grep -Eq "^[[:space:]]*\[[[:space:]]*$hint\][[:space:]]+$name$" ||
        fail "$name is not at ordinal $ordinal"
done

imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for name in $imports; do
    case "$name" in
    kernel32.dll | user32.dll | gdi32.dll | shell32.dll | msvcrt.dll | advapi32.dll) ;;
    api-ms-win-crt-*.dll) ;;
    *) fail "imports from $name, which is not a system DLL" ;;
    esac
done
echo "shipped DLL: PE32 i386, exports $exports, imports $(echo $imports)"
