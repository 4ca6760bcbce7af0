#!/bin/sh
# Runs inside the emulated 32-bit machine: each line of tests.txt (the i686 test list that CMake
# writes) as one Wine process, its output and exit code left in results/. A line is
# "NAME [VAR=VALUE...] PROGRAM [ARGS...]", the variables being the program's environment. Two
# workers, one for each of the machine's processors, take the lines in turn, each with a Wine
# prefix and server of its own. A program still running after the time limit has every
# thread's state recorded and is killed, and its worker's Wine server is restarted, so that one
# hang fails one test rather than the whole job.
share=$(cd "$(dirname "$0")" && pwd)
# For a hang, not for a slow program: README gives the job's times.
limit=600
workers=2
results="$share/results"
mkdir -p /tmp/run "$results" /tmp/claims
# Run from a local copy: mapped from the shared folder, the programs' pages can read back
# as zeros.
cp "$share"/*.exe "$share"/*.dll /tmp/run/
cd /tmp/run
export WINEDEBUG=-all,err+all

start_wine() {
    wineserver -p
    wine cmd /c exit >>"$results/wine-start-$worker.log" 2>&1
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
    env $variables wine "$@" >"$results/$name.out" 2>&1 </dev/null &
    pid=$!
    (sleep "$limit" && record_hang >"$results/$name.hang" 2>&1 && kill -9 $pid) &
    watchdog=$!
    wait $pid
    code=$?
    echo $code >"$results/$name.code"
    pkill -P $watchdog sleep
    wait $watchdog
    echo "$name: code $code after $(($(date +%s) - began)) s" | tee -a "$results/times.txt"
    if [ -f "$results/$name.hang" ]; then
        wineserver -k
        wineserver -w
        start_wine
    fi
}

# A worker runs every line that no other worker has claimed first (mkdir is the claim).
work() {
    worker=$1
    export WINEPREFIX="/tmp/prefix-$worker"
    cp -a "$PREFIX" "$WINEPREFIX"
    start_wine
    while read -r name words; do
        mkdir "/tmp/claims/$name" 2>/dev/null || continue
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
}

PREFIX=$WINEPREFIX
worker=1
while [ $worker -le $workers ]; do
    work $worker &
    worker=$((worker + 1))
done
wait
