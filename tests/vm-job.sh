#!/bin/sh
# Runs inside the emulated 32-bit machine: each line of programs.txt as one Wine process, its
# output and exit code left in results/. A line is "NAME [VAR=VALUE...] [each] PROGRAM [ARGS...]",
# the variables being the program's environment. With "each", the program lists its tests
# (--gtest_list_tests, with the ARGS) and each runs in a process of its own, as NAME.TEST, the
# names in results/NAME.list. A program still running after the time limit has every thread's
# state recorded and is killed, and the Wine server is restarted, so that one hang fails one
# test rather than the whole job.
share=$(cd "$(dirname "$0")" && pwd)
# The slowest program takes about a minute here.
limit=300
mkdir -p /tmp/run "$share/results"
# Run from a local copy: mapped from the shared folder, the programs' pages can read back
# as zeros.
cp "$share"/*.exe "$share"/*.dll /tmp/run/
cd /tmp/run
export WINEDEBUG=-all,err+all

start_wine() {
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1
}

record_hang() {
    ps -eLo pid,tid,stat,time,wchan:32,args
    for task in /proc/[0-9]*/task/*; do
        echo "== $task $(cat "$task/comm") $(cat "$task/wchan")"
        cat "$task/stack"
    done
}

run() {
    name=$1
    shift
    began=$(date +%s)
    # The variables are plain words: no quoting to undo.
    # shellcheck disable=SC2086
    env $variables wine "$@" >"$share/results/$name.out" 2>&1 </dev/null &
    pid=$!
    (sleep "$limit" && record_hang >"$share/results/$name.hang" 2>&1 && kill -9 $pid) &
    watchdog=$!
    wait $pid
    code=$?
    echo $code >"$share/results/$name.code"
    pkill -P $watchdog sleep
    wait $watchdog
    echo "$name: code $code after $(($(date +%s) - began)) s" | tee -a "$share/results/times.txt"
    if [ -f "$share/results/$name.hang" ]; then
        wineserver -k
        wineserver -w
        start_wine
    fi
}

# run_each NAME PROGRAM [ARGS...]: the program's own list of tests, one process each. (The
# names differ from run's: a function's variables are the script's.)
run_each() {
    each_name=$1
    each_program=$2
    shift 2
    # shellcheck disable=SC2086
    env $variables wine "$each_program" --gtest_list_tests "$@" </dev/null | tr -d '\r' |
        awk '/^[^ ]/ { suite = $1 } /^  / { print suite $1 }' >"$share/results/$each_name.list"
    for test in $(cat "$share/results/$each_name.list"); do
        run "$each_name.$test" "$each_program" --gtest_filter="$test"
    done
}

start_wine
while read -r name words; do
    variables=""
    # The words are plain: no quoting to undo.
    # shellcheck disable=SC2086
    set -- $words
    while [ $# -gt 0 ]; do
        case $1 in
        *=*) variables="$variables $1" ;;
        *) break ;;
        esac
        shift
    done
    if [ "$1" = each ]; then
        shift
        run_each "$name" "$@"
    else
        run "$name" "$@"
    fi
done <"$share/programs.txt"
wineserver -k
