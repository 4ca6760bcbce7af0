#!/bin/sh
# Static analysis of the plug-in and the stand-in host: any finding fails.
set -eu
cd "$(dirname "$0")/.."
# useStlAlgorithm: the loops it flags walk a handful of frames or calls, and may stop
# part-way; a plain loop says that more directly than an algorithm would.
cppcheck --quiet --error-exitcode=1 --inline-suppr --std=c++17 -D_WIN32 -I . \
    --enable=warning,style,performance,portability --suppress=useStlAlgorithm \
    base plugin settings host ui standin
echo "cppcheck: no findings"
