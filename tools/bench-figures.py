#!/usr/bin/env python3
"""The benchmark figures from the raw samples that tools/bench.sh took, one "name: value unit"
a line. A figure whose samples are missing fails the run with its name.

    bench-figures.py RAW PLATFORM DLL_BYTES"""
import statistics
import sys


class Samples(dict):
    def __missing__(self, name):
        sys.exit(f"bench: no samples of {name}: its mode printed nothing")


def main():
    raw, platform, dll_bytes = sys.argv[1], sys.argv[2], int(sys.argv[3])
    found = {}
    for line in open(raw):
        name, _, value = line.strip().partition(" ")
        found.setdefault(name, []).append(float(value))
    median = Samples({name: statistics.median(values) for name, values in found.items()})

    print(f"bench_platform: {platform}")
    print(f"exit_ratio: {median['exit'] / median['baseline']:.3f} x")
    print(f"exit_ms: {median['exit']:.3f} ms")
    print(f"exit_baseline_ms: {median['baseline']:.3f} ms")
    print(f"load_ratio: {median['load'] / median['empty']:.3f} x")
    print(f"load_ms: {median['load']:.3f} ms")
    print(f"load_empty_ms: {median['empty']:.3f} ms")
    # An empty module that makes the start-up's own platform calls: its attribute query and
    # its five profile reads of the settings file.
    print(f"load_floor_ms: {median['floor']:.3f} ms")
    print(f"load_vs_floor: {median['load'] / median['floor']:.3f} x")
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
    print(f"dll_bytes: {dll_bytes} bytes")


main()
