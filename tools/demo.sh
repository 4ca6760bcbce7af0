#!/bin/sh
# Runs the plug-in in the stand-in host: the shipped i686 DLL under an i386 root's Wine 8 where
# this kernel runs i386 programs, else the x86_64 build of the same sources under this machine's
# own Wine (the emulated i386 machine has no display to show, and would take minutes). With a
# display, interactively; without one, as a scripted user under a virtual display that leaves
# pictures in build/demo/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=build/demo

TOLVANIX_I686=$(sh tools/i386/probe.sh --decide demo)
export TOLVANIX_I686
. tools/platform.sh
# The plug-in and the stand-in host that loads it, nothing else.
tools/build-tree.sh "${tree#build/}" Tolvanix becky_standin
case $platform in i686-*) tools/i386/root.sh build "$platform" ;; esac
host=$tree/becky_standin.exe
on_platform="tools/on-platform.sh $platform"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && [ -z "${TOLVANIX_HEADLESS:-}" ]; then
    echo "demo: the stand-in host is open; close its window to run the exit"
    TOLVANIX_USE_DISPLAY=1 tools/with-wine.sh -p "$platform" \
        $on_platform wine "$host" --data "Z:$root/$out/data"
    exit 0
fi

rm -rf "$out"
mkdir -p "$out"
status=0
tools/with-wine.sh -p "$platform" sh -c "
    $on_platform wine '$host' --data 'Z:$root/$out/data-en' --auto 'Z:$root/$out' en &&
    LC_ALL=ja_JP.UTF-8 $on_platform wine '$host' --data 'Z:$root/$out/data-ja' --auto 'Z:$root/$out' ja
" >"$out/demo.log" 2>&1 || status=$?
# The host's own account of the run, without its lines about each picture it saved; all of
# it when the run failed.
if [ "$status" -ne 0 ]; then
    tr -d '\r' <"$out/demo.log" >&2
    echo "demo: the stand-in host failed (exit code $status); its account is above" >&2
    exit 1
fi
tr -d '\r' <"$out/demo.log" | sed '/^picture:/d'

for bmp in "$out"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png"
    rm "$bmp"
done
frames=$(ls "$out"/tray-frame-*-en.png | sort -t- -k3 -n)
convert -delay 11 -loop 0 -dispose background $frames "$out/tray-icon-animation.gif"
convert $frames -bordercolor white -border 4 +append "$out/tray-icon-frames.png"
rm -f "$out"/tray-frame-*.png
echo "pictures:"
ls "$out"/*.png "$out"/*.gif | sed 's/^/    /'
