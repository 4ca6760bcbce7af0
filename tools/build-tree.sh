#!/bin/sh
# Builds the named targets of one build tree and nothing else, configuring the tree first (its
# toolchain is named when the tree is made; CMake keeps it):
#
#   build-tree.sh i686|x86_64 [--tests] TARGET...     (--tests: with the test programs' targets)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
shift
tree="$root/build/$arch"
options=""
[ -f "$tree/CMakeCache.txt" ] || options="-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-$arch.cmake"
if [ "${1:-}" = --tests ]; then
    options="$options -DTOLVANIX_TESTS=ON"
    shift
fi
# Only the i686 tree makes the release archive.
[ "$arch" = x86_64 ] || options="$options -DTOLVANIX_DIST_DIR=$root/build/dist"
# CMake's configure lines say only what it found; its errors still show.
# shellcheck disable=SC2086
cmake -S "$root" -B "$tree" $options >/dev/null
cmake --build "$tree" -j"${JOBS:-2}" --target "$@"
