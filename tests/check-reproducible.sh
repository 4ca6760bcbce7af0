#!/bin/sh
# Builds the shipped DLL and the release archive again, from a copy of the sources in another
# folder, and compares both with the build under test byte for byte.
#   check-reproducible.sh DLL ZIP
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d /tmp/tolvanix-again-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/sources"
(cd "$root" && tar --exclude=./build --exclude=./.git -cf - .) | (cd "$work/sources" && tar -xf -)
echo "building again in $work"
# The second build's configure and progress lines; its errors still show.
cmake -S "$work/sources" -B "$work/out" -DCMAKE_TOOLCHAIN_FILE="$work/sources/cmake/toolchain-i686.cmake" \
    -DTOLVANIX_DIST_DIR="$work/dist" >/dev/null
cmake --build "$work/out" -j2 --target dist >/dev/null
cmp "$1" "$work/out/Tolvanix.dll"
cmp "$2" "$work/dist/$(basename "$2")"
echo "the DLL and the archive came out the same: $(sha256sum <"$1" | cut -c1-16)..., $(sha256sum <"$2" | cut -c1-16)..."
