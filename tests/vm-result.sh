#!/bin/sh
# What one test did in the emulated machine's job: its output, and its exit code as this one's.
#   vm-result.sh JOB NAME
job=$1
name=$2
if [ ! -f "$job/results/$name.code" ]; then
    echo "$name did not run in the emulated machine"
    exit 1
fi
tr -d '\r' <"$job/results/$name.out"
if [ -f "$job/results/$name.hang" ]; then
    echo "$name hung and was killed; the machine's threads then:"
    cat "$job/results/$name.hang"
    exit 1
fi
exit "$(cat "$job/results/$name.code")"
