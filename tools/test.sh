#!/bin/sh
# make test: builds both trees and runs every test on every platform, in one CTest list.
#
# Where this kernel runs i386 programs itself (tools/i386/probe.sh), the i686 tests run natively
# under the Wine 8 and Wine 10 of two i386 roots, made meanwhile or taken from the cache; no
# build of the emulated machine's image may run meanwhile, which the lock ensures. Where it
# cannot, the emulated machine runs the i686 list under its Wine 8 first, and the i686 tests
# report what it did there (TOLVANIX_I686=emulated). "test.sh emulated" takes that way for the
# i686 list alone, whatever the kernel can do (make test-i686).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# Three tests at a time on two cores: a Wine test mostly waits (frame pauses, the shell, its
# child processes), and 98 tests take 86 s so instead of 125 s.
test_jobs=${TEST_JOBS:-3}
caches="${TOLVANIX_CACHE:-/var/cache/tolvanix}"

trees='"x86_64" "i686"'
if [ "${1:-}" = emulated ]; then
    mode=emulated
    trees='"i686"'
    echo "i686 tests: in the emulated i386 machine, as asked"
else
    sh tools/i386/probe.sh
    mode=$(sh tools/i386/probe.sh --mode)
fi
export TOLVANIX_I686=$mode

roots=""
if [ "$mode" = native ]; then
    for platform in i686-wine8 i686-wine10; do
        tools/i386/root.sh build "$platform" &
        roots="$roots $!"
    done
fi
make --no-print-directory tests
for pid in $roots; do
    wait "$pid"
done

# One list of the trees' tests.
echo "subdirs($trees)" >build/CTestTestfile.cmake
ctest="ctest --test-dir build --output-on-failure -j$test_jobs"
# Wine's own error messages go with a failing test's output.
export WINEDEBUG=-all,err+all
if [ "$mode" = native ]; then
    mkdir -p "$caches"
    exec flock -s "$caches/i386.lock" \
        tools/with-wine.sh -p x86_64 -p i686-wine8 -p i686-wine10 $ctest
fi
job=build/i686/vm-job
rm -rf "$job/results"
cp build/i686/*_tests.exe build/i686/exit_child.exe build/i686/*.dll "$job/"
tools/i386/vm.sh run "$job"
exec tools/with-wine.sh -p x86_64 $ctest
