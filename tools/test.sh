#!/bin/sh
# make test: builds both trees and runs every test on every platform.
#
# Where this kernel runs i386 programs itself (tools/i386/probe.sh), the i686 tests run natively
# under the Wine 8 and Wine 10 of two i386 roots, made meanwhile or taken from the cache, in one
# CTest list with the x86_64 tests; no build of the emulated machine's image may run meanwhile,
# which the lock ensures. Where it cannot, or TOLVANIX_I686=emulated asks for it, the emulated
# machine runs the whole i686 list under its Wine 8 as soon as the i686 programs and its image
# (made meanwhile, or taken from the cache) are ready; the x86_64 list and the checks of files
# and sources run while it works, and the i686 list then reports what it did there.
# "test.sh emulated" takes that way for the i686 list alone, whatever the kernel can do
# (make test-i686).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# Three tests at a time on two cores: a Wine test mostly waits (frame pauses, the shell, its
# child processes); the README says what that saves.
test_jobs=${TEST_JOBS:-3}
caches="${TOLVANIX_CACHE:-/var/cache/tolvanix}"
ctest="ctest --test-dir build --output-on-failure -j$test_jobs"
# Wine's own error messages go with a failing test's output.
export WINEDEBUG=-all,err+all
mkdir -p build

trees='"x86_64" "i686"'
if [ "${1:-}" = emulated ]; then
    export TOLVANIX_I686=emulated
    trees='"i686"'
fi
TOLVANIX_I686=$(sh tools/i386/probe.sh --decide test)
export TOLVANIX_I686
# One list of the trees' tests.
echo "subdirs($trees)" >build/CTestTestfile.cmake

if [ "$TOLVANIX_I686" = native ]; then
    roots=""
    for platform in i686-wine8 i686-wine10; do
        tools/i386/root.sh build "$platform" >"build/root-$platform.log" 2>&1 &
        roots="$roots $!:$platform"
    done
    make --no-print-directory tests
    for made in $roots; do
        if ! wait "${made%%:*}"; then
            echo "test: making the ${made#*:} root failed; the end of build/root-${made#*:}.log:" >&2
            tail -20 "build/root-${made#*:}.log" >&2
            exit 1
        fi
    done
    mkdir -p "$caches"
    exec flock -s "$caches/i386.lock" \
        tools/with-wine.sh -p x86_64 -p i686-wine8 -p i686-wine10 $ctest
fi

# Installed first: two package installs at once would collide.
tools/install-deps.sh vm
job=build/i686/vm-job
programs=build/vm-job.programs
rm -f "$programs" build/vm-job.abandoned
# Should this script stop early, the machine's chain below stops waiting for the programs.
trap 'touch build/vm-job.abandoned' EXIT
# The machine's chain, in the background: its image, made meanwhile unless it is cached; then,
# once the i686 programs are there, the job. Its account goes to its log.
echo "i686 tests: the emulated machine starts once its image and the i686 programs are there"
(
    if ! tools/i386/vm.sh image >build/vm-image.log 2>&1; then
        echo "making the emulated machine's image failed; the end of build/vm-image.log:"
        tail -20 build/vm-image.log
        exit 1
    fi
    until [ -f "$programs" ]; do
        [ -f build/vm-job.abandoned ] && exit 1
        sleep 1
    done
    tools/i386/vm.sh run "$job"
) >build/vm-job.log 2>&1 &
machine_chain=$!
make --no-print-directory tests-i686
rm -rf "$job/results"
cp build/i686/*_tests.exe build/i686/*_child.exe build/i686/*.dll "$job/"
touch "$programs"
# Meanwhile every test that does not wait for the machine; the compiler gives way to the
# machine's chain, which decides when the run ends.
meanwhile=0
if [ "${1:-}" != emulated ]; then
    nice -n 10 make --no-print-directory tests-x86_64
fi
tools/with-wine.sh -p x86_64 $ctest -E '^i686-wine' || meanwhile=$?
echo "i686 tests: waiting for the emulated machine"
machine=0
wait $machine_chain || machine=$?
cat build/vm-job.log
# The list reports whatever the machine did run, a test it did not run as failed.
machine_tests=0
$ctest -R '^i686-wine' || machine_tests=$?
if [ "$machine" -ne 0 ]; then
    echo "test: the emulated machine's chain failed (exit code $machine); build/vm-job.log above says where" >&2
    exit 1
fi
[ "$meanwhile" -eq 0 ] && [ "$machine_tests" -eq 0 ]
