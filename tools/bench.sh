#!/bin/sh
# Prints the benchmark figures, one "name: value unit" a line, and saves them to
# build/bench.txt. Figures that depend on per-process state are taken in fresh processes,
# each beside its baseline in the same run, as medians. The process-end run ends 200 child
# hosts (PROCESS_END_RUNS) with freed memory poisoned, so that a read of one crashes.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bench="build/x86_64/tolvanix_bench.exe"
samples=${BENCH_SAMPLES:-15}
process_end_runs=${PROCESS_END_RUNS:-200}
plugin="Z:$root/build/x86_64/Tolvanix.dll"
empty="Z:$root/build/x86_64/empty_module.dll"
raw=$(mktemp)
trap 'rm -f "$raw"' EXIT

tools/with-wine.sh sh -c "
    i=0
    while [ \$i -lt $samples ]; do
        echo exit \$(wine $bench exit-sample)
        echo baseline \$(wine $bench baseline-sample)
        echo load \$(wine $bench load-sample '$plugin')
        echo empty \$(wine $bench load-sample '$empty')
        echo first \$(wine $bench first-load-sample '$plugin')
        i=\$((i + 1))
    done
    echo stop \$(wine $bench stop)
    echo delete \$(wine $bench tray-delete)
    echo search \$(wine $bench icon-search)
    echo anim \$(wine $bench anim-cpu)
    echo pause \$(wine $bench frame-pause)
    echo modify \$(wine $bench tray-modify-cpu)
    echo leak \$(LC_ALL=ja_JP.UTF-8 wine $bench setup-leak)
    WINEDEBUG=-all,warn+heap wine $bench process-end $process_end_runs
" | tr -d '\r' >"$raw"

python3 - "$raw" "$(stat -c %s build/i686/Tolvanix.dll)" <<'PY' | tee build/bench.txt
import statistics
import sys

values = {}
for line in open(sys.argv[1]):
    name, _, value = line.strip().partition(" ")
    if value:
        values.setdefault(name, []).append(float(value))
median = {name: statistics.median(found) for name, found in values.items()}
print(f"exit_ratio: {median['exit'] / median['baseline']:.3f} x")
print(f"exit_ms: {median['exit']:.3f} ms")
print(f"exit_baseline_ms: {median['baseline']:.3f} ms")
print(f"load_ratio: {median['load'] / median['empty']:.3f} x")
print(f"load_ms: {median['load']:.3f} ms")
print(f"load_empty_ms: {median['empty']:.3f} ms")
print(f"load_first_start_ms: {median['first']:.3f} ms")
print(f"stop_ms: {median['stop']:.3f} ms")
# The shell's own removal of an icon, which every stop includes.
print(f"tray_delete_ms: {median['delete']:.3f} ms")
print(f"anim_cpu_pct: {median['anim']:.3f} %")
# The pause after each frame, 110 ms by design.
print(f"frame_pause_ms: {median['pause']:.1f} ms")
# What the shell charges this process for one icon change, times the frames a second.
print(f"tray_modify_cpu_ms: {median['modify']:.4f} ms")
print(f"anim_cpu_floor_pct: {median['modify'] * 1000 / 110 / 10:.3f} %")
print(f"host_icon_search_ms: {median['search']:.3f} ms")
print(f"host_icon_search_per_try_ms: {median['search'] / 257:.4f} ms")
print(f"setup_leak: {int(median['leak'])} handles")
runs = int(median["process_end_runs"])
print(f"process_end_runs: {runs} children")
print(f"process_end_crashes: {int(median['process_end_crashes'])} children")
print(f"process_end_hangs: {int(median['process_end_hangs'])} children")
# Children that failed before their exit: a fault of the stand-in, not of the plug-in.
print(f"process_end_child_failures: {int(median['process_end_child_failures'])} children")
print(f"process_end_ms: {median['process_end_ms']:.3f} ms")
# An icon may be left only by a thread the process ended inside a shell or window call.
in_shell = int(median["ghost_icons_thread_in_shell_call"])
in_window = int(median["ghost_icons_thread_in_window_call"])
unexplained = int(median["ghost_icons_unexplained"])
print(f"ghost_icons: {in_shell + in_window + unexplained} icons")
print(f"ghost_icons_thread_in_shell_call: {in_shell} icons")
print(f"ghost_icons_thread_in_window_call: {in_window} icons")
print(f"ghost_icons_unexplained: {unexplained} icons")
print(f"ghost_icon_pct: {100 * (in_shell + in_window) / runs:.1f} %")
print(f"dll_bytes: {sys.argv[2]} bytes")
PY
