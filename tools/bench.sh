#!/bin/sh
# Prints the benchmark figures, one "name: value unit" a line, and saves them to build/bench.txt:
# the shipped i686 DLL under an i386 root's Wine 8 where this kernel runs i386 programs, else
# the x86_64 build of the same sources under this machine's own Wine; the "bench_platform"
# line names which, and every ratio is taken on that one platform in the one run. Figures that
# depend on per-process state are taken in fresh processes, each beside its baseline in the
# same run, as medians. The process-end run ends 200 child hosts (PROCESS_END_RUNS) with freed
# memory poisoned, so that a read of one crashes. A mode that fails, or a figure that is
# missing, fails the run with its name. "dll_bytes" is always the shipped file's size.
#
#   bench.sh                         measures under a virtual display, then prints the figures
#   bench.sh measure PLATFORM RAW    (inside with-wine.sh) appends each mode's "name value" to RAW
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# run NAME MODE [ARGS...]: the mode's output, or the run stops with the figure's name and
# what the mode printed.
run() {
    name=$1
    shift
    if ! output=$(tools/on-platform.sh "$platform" wine "$bench" "$@"); then
        printf '%s\n' "$output" | tr -d '\r' >&2
        echo "bench: $name: the mode \"$*\" failed; its output is above" >&2
        exit 1
    fi
    printf '%s\n' "$output" | tr -d '\r'
}

# sample NAME MODE [ARGS...]: one figure, appended to the raw list as "NAME value".
sample() {
    value=$(run "$@")
    case $value in
    *[0-9]*) echo "$1 $value" >>"$raw" ;;
    *) echo "bench: $1: the mode \"$2\" printed no figure" >&2; exit 1 ;;
    esac
}

if [ "${1:-}" = measure ]; then
    platform=$2
    raw=$3
    tree=build/${platform%%-*}
    bench="$tree/tolvanix_bench.exe"
    plugin="Z:$root/$tree/Tolvanix.dll"
    i=0
    while [ $i -lt "${BENCH_SAMPLES:-15}" ]; do
        sample exit exit-sample
        sample baseline baseline-sample
        sample load load-sample "$plugin"
        sample empty load-sample "Z:$root/$tree/empty_module.dll"
        sample floor load-sample "Z:$root/$tree/floor_module.dll"
        sample first first-load-sample "$plugin"
        i=$((i + 1))
    done
    sample stop stop
    sample delete tray-delete
    sample search icon-search
    sample anim anim-cpu
    sample pause frame-pause
    sample modify tray-modify-cpu
    (export LC_ALL=ja_JP.UTF-8 && sample leak setup-leak) || exit 1
    (export WINEDEBUG=-all,warn+heap &&
        run process_end process-end "${PROCESS_END_RUNS:-200}" >>"$raw") || exit 1
    exit 0
fi

TOLVANIX_I686=$(sh tools/i386/probe.sh --decide bench)
export TOLVANIX_I686
. tools/platform.sh
# The bench and what it loads; the shipped DLL, whose size it reports, either way.
tools/build-tree.sh "${tree#build/}" --tests tolvanix_bench
tools/build-tree.sh i686 Tolvanix
case $platform in i686-*) tools/i386/root.sh build "$platform" ;; esac
raw=$(mktemp)
trap 'rm -f "$raw"' EXIT
tools/with-wine.sh -p "$platform" sh tools/bench.sh measure "$platform" "$raw"
python3 tools/bench-figures.py "$raw" "$platform" "$(stat -c %s build/i686/Tolvanix.dll)" \
    >build/bench.txt
cat build/bench.txt
