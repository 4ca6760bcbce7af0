#!/bin/sh
# Pictures of each dialog template in each language, as the virtual display shows them, in
# build/screenshots/: the snapshot program of the x86_64 tree, which draws the templates
# without the plug-in's exports.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/build-tree.sh x86_64 dialog_snapshots
out=build/screenshots
mkdir -p "$out"
tools/with-wine.sh sh -c "
    tools/on-platform.sh x86_64 wine build/x86_64/dialog_snapshots.exe 'Z:$root/$out' en &&
    LC_ALL=ja_JP.UTF-8 tools/on-platform.sh x86_64 wine build/x86_64/dialog_snapshots.exe 'Z:$root/$out' ja
"
for bmp in "$out"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png"
    rm "$bmp"
done
ls "$out"/*.png
