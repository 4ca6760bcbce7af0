#!/bin/sh
# Runs inside the emulated 32-bit machine: each line of tests.txt (the i686 test list that CMake
# writes) as one Wine process, its output and exit code left in results/. A line is
# "NAME [VAR=VALUE...] PROGRAM [ARGS...]", the variables being the program's environment. A
# program still running after the time limit has every thread's state recorded and is killed,
# and the Wine server is restarted, so that one hang fails one test rather than the whole job.
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
    wine cmd /c exit >>"$share/results/wine-start.log" 2>&1
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

start_wine
while read -r name words; do
    variables=""
    # The words are plain: no quoting to undo, and a filter's * is no file name.
    set -f
    # shellcheck disable=SC2086
    set -- $words
    set +f
    while [ $# -gt 0 ]; do
        case $1 in
        *=*) variables="$variables $1" ;;
        *) break ;;
        esac
        shift
    done
    run "$name" "$@"
done <"$share/tests.txt"
wineserver -k
