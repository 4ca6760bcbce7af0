#!/bin/sh
# A 32-bit x86 Debian machine under full-system emulation, to run the shipped i686 DLL in a
# real 32-bit Wine (this host cannot run 32-bit code itself).
#
#   vm.sh image        build the machine image unless the cache has it
#   vm.sh run JOBDIR   boot it, run JOBDIR/job.sh inside under a virtual display, power off;
#                      the job's output and exit code come back in JOBDIR/
#
# The image lives outside the repository, in a cache folder keyed by what goes into it (the
# recipe image.sh and the scripts it copies in), so a second run on the same machine starts at
# once, and changing how the machine is booted or a job is run costs no rebuild.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
recipe=$(cat "$here/image.sh" "$here/root.sh" "$here/firstboot.sh" "$here/jobinit.sh" \
    "$here/initramfs-init.sh" "$here/../wine-prefix.sh" | sha256sum | cut -c1-16)
caches="${TOLVANIX_CACHE:-/var/cache/tolvanix}"
cache="$caches/i386-image/$recipe"

log() { echo "vm: $(date +%T) $*" >&2; }

# boot TIMEOUT INIT SHARE: the machine with the image's disk, the init to run and a shared
# folder. A job boot (snapshot=-snapshot) writes to a throw-away overlay: the image stays as
# it was built.
boot() {
    timeout --kill-after=10 "$1" qemu-system-i386 ${snapshot:-} \
        -accel tcg,thread=multi -cpu max,smap=off -smp 2 -m 3072 -nographic -no-reboot \
        -kernel "$cache/vmlinuz" -initrd "$cache/initrd.gz" \
        -append "console=ttyS0 quiet tolvanix.init=$2" \
        -drive "file=$cache/disk.img,if=virtio,format=raw" \
        -virtfs "local,path=$3,mount_tag=job,security_model=none,id=job" </dev/null
}

. "$here/image.sh"

# The limit (40 minutes) is for a machine far slower than these, not for a hang, which each
# program's own limit inside catches.
run_job() {
    job=$(cd "$1" && pwd)
    build_image
    rm -f "$job/exit-code"
    log "running the job in $job"
    began=$(date +%s)
    # The machine powers itself off; whether the job ran, its exit-code file tells.
    snapshot=-snapshot boot "${TOLVANIX_VM_TIMEOUT:-2400}" /jobinit.sh "$job" \
        >"$job/console.log" 2>&1 || true
    if [ ! -f "$job/exit-code" ]; then
        log "the job did not finish; the machine's console:"
        tail -20 "$job/console.log" >&2
        return 1
    fi
    cat "$job/output.log"
    log "the job ended with code $(cat "$job/exit-code") after $(($(date +%s) - began)) s"
    return "$(cat "$job/exit-code")"
}

# A build stopped part-way undoes its binfmt entry; root.sh's mounts end with its processes.
trap user_mode_off EXIT
trap 'exit 1' HUP INT TERM

case "${1:-}" in
image) build_image ;;
run) run_job "$2" ;;
*)
    echo "usage: vm.sh image | run JOBDIR" >&2
    exit 2
    ;;
esac
