#!/bin/sh
# Reports one line of the emulated machine's job: each program's output and exit code; for a
# line that ran each test of a program alone, every test's, failing if any failed or none ran.
job=$1
name=$2

report() {
    if [ ! -f "$job/results/$1.code" ]; then
        echo "$1 did not run in the emulated machine"
        return 1
    fi
    tr -d '\r' <"$job/results/$1.out"
    if [ -f "$job/results/$1.hang" ]; then
        echo "$1 hung and was killed; the machine's threads then:"
        cat "$job/results/$1.hang"
        return 1
    fi
    return "$(cat "$job/results/$1.code")"
}

if [ ! -f "$job/results/$name.list" ]; then
    report "$name"
    exit
fi
if [ ! -s "$job/results/$name.list" ]; then
    echo "$name listed no tests in the emulated machine"
    exit 1
fi
failed=""
for test in $(cat "$job/results/$name.list"); do
    report "$name.$test" || failed="$failed $test"
done
if [ -n "$failed" ]; then
    echo "failed in the emulated machine:$failed"
    exit 1
fi
echo "all $(wc -l <"$job/results/$name.list") tests passed, each in a process of its own"
