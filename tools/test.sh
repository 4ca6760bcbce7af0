#!/bin/sh
# make test: builds both trees and runs every test on every platform, in one CTest list.
#
# Where this kernel runs i386 programs itself (tools/i386/probe.sh), the i686 tests run natively
# under the Wine 8 and Wine 10 of two i386 roots, made meanwhile or taken from the cache; no
# build of the emulated machine's image may run meanwhile, which the lock ensures. Where it
# cannot, or TOLVANIX_I686=emulated asks for it, the emulated machine's image is made meanwhile
# (or taken from the cache), the machine runs the whole i686 list under its Wine 8, and the i686
# tests report what it did there. "test.sh emulated" takes that way for the i686 list alone,
# whatever the kernel can do (make test-i686).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# Three tests at a time on two cores: a Wine test mostly waits (frame pauses, the shell, its
# child processes), and 98 tests take 86 s so instead of 125 s.
test_jobs=${TEST_JOBS:-3}
caches="${TOLVANIX_CACHE:-/var/cache/tolvanix}"

trees='"x86_64" "i686"'
if [ "${1:-}" = emulated ]; then
    TOLVANIX_I686=emulated
    trees='"i686"'
fi
sh tools/i386/probe.sh
TOLVANIX_I686=$(sh tools/i386/probe.sh --mode)
export TOLVANIX_I686

# What the i686 tests need, made while the programs compile, each into its own log.
makers=""
make_meanwhile() {
    log=$1
    shift
    mkdir -p build
    "$@" >"build/$log" 2>&1 &
    makers="$makers $!:$log"
}
if [ "$TOLVANIX_I686" = native ]; then
    for platform in i686-wine8 i686-wine10; do
        make_meanwhile "root-$platform.log" tools/i386/root.sh build "$platform"
    done
else
    # Installed first: two package installs at once would collide.
    tools/install-deps.sh vm
    echo "i686 tests: making the emulated machine's image meanwhile, unless it is cached"
    make_meanwhile vm-image.log tools/i386/vm.sh image
fi
make --no-print-directory tests
for maker in $makers; do
    if ! wait "${maker%%:*}"; then
        echo "test: making what the i686 tests run in failed; the end of build/${maker#*:}:" >&2
        tail -20 "build/${maker#*:}" >&2
        exit 1
    fi
done

# One list of the trees' tests.
echo "subdirs($trees)" >build/CTestTestfile.cmake
ctest="ctest --test-dir build --output-on-failure -j$test_jobs"
# Wine's own error messages go with a failing test's output.
export WINEDEBUG=-all,err+all
if [ "$TOLVANIX_I686" = native ]; then
    mkdir -p "$caches"
    exec flock -s "$caches/i386.lock" \
        tools/with-wine.sh -p x86_64 -p i686-wine8 -p i686-wine10 $ctest
fi
job=build/i686/vm-job
rm -rf "$job/results"
cp build/i686/*_tests.exe build/i686/*_child.exe build/i686/*.dll "$job/"
tools/i386/vm.sh run "$job"
exec tools/with-wine.sh -p x86_64 $ctest
