#!/usr/bin/env bash
# Start-up benchmark under Wine: the time from starting TovickPlashgoon.exe (demo data, both paths
# remembered) until its window is shown with block 1 in it, beside the time the same window with
# the editor's 41 controls and font and nothing else (controls-window.exe, this window's floor)
# takes to appear, and the time a bare Win32 window built the same way (minimal-window.exe) takes:
# the platform's own share. All three are judged ready by the same query, their window visible
# (polled every millisecond); each shows its window right after its last start-up step, and for
# the editor block 1 is then checked, untimed. The three run interleaved; the medians, the
# editor's ratio to the floor, the .exe's size and the peak working sets. Then as many runs of the
# editor and the floor with TOVICK_STARTUP_TRACE set give the table of their start-up phases.
#
#   bench/startup_bench.sh [WINDOWS_BUILD_DIR]     (default: build/win64)
#   TOVICK_BENCH_RUNS=N                            runs of each (default 15)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/win64}" && pwd)
runs=${TOVICK_BENCH_RUNS:-15}
# shellcheck source=bench/bench_env.sh
source "$repo/bench/bench_env.sh"
bench_env startup "$build" TovickPlashgoon.exe controls-window.exe minimal-window.exe \
  tovick-driver.exe tovick-gen.exe

python3 - "$build" "$data" "$runs" <<'PYTHON'
import json, os, signal, statistics, subprocess, sys, time
wine = os.environ["TOVICK_WINE"]  # the one launcher, set by bench_env.sh

build, data, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
driver = subprocess.Popen([wine, f"{build}/tovick-driver.exe", "serve"], stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1,
                          start_new_session=True)

def ask(*words):
    driver.stdin.write("\t".join(words) + "\n")
    answer = json.loads(driver.stdout.readline())
    if not answer["ok"]:
        raise SystemExit(f"startup_bench: {words[0]}: {answer['error']}")
    return answer

def windows_path(path):
    return "Z:" + path.replace("/", "\\")

def trace_written(trace):
    """The trace ends with its last phase, "controls painted", once it is whole."""
    try:
        with open(trace) as text:
            return text.read().endswith("painted\n")
    except FileNotFoundError:
        return False

def start_up(exe, window, trace=None):
    """Seconds from the start of exe until its window is visible, and the peak working set then.
    With trace, the program writes its start-up phases there; this waits for them."""
    environment = dict(os.environ)
    if trace is not None:
        environment["TOVICK_STARTUP_TRACE"] = windows_path(trace)
    began = time.perf_counter()
    process = subprocess.Popen([wine, f"{build}/{exe}"], cwd=data, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True, env=environment)
    try:
        ask("wait-window", *window, "30000", "1")
        seconds = time.perf_counter() - began
        peak = ask("memory", *window)["peak_working_set"]
        if exe == "TovickPlashgoon.exe":
            ask("wait-ready", "5000")  # shown only after start-up, so block 1 is there already
        if trace is not None:
            deadline = time.monotonic() + 20
            while not trace_written(trace) and time.monotonic() < deadline:
                time.sleep(0.01)
        if exe == "TovickPlashgoon.exe":  # EXIT and its closing message
            ask("click", "25")
            ask("press")
        else:
            ask("close-window", *window)
        process.wait(timeout=20)
    finally:
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
    return seconds, peak

editor_window = ("Tovick", "Tovick Plashgoon")
controls_window = ("TovickControls", "Controls Window")
minimal_window = ("TovickMinimal", "Minimal Window")
try:
    ask("sleep", "1")  # the driver itself is up
    editor, controls, minimal = [], [], []
    programs = [
        (editor, "TovickPlashgoon.exe", editor_window),
        (controls, "controls-window.exe", controls_window),
        (minimal, "minimal-window.exe", minimal_window),
    ]
    for run in range(runs):
        # Each round starts with another program, so none always runs first after a pause.
        for samples, exe, window in programs[run % 3:] + programs[:run % 3]:
            samples.append(start_up(exe, window))
    traced = {"TovickPlashgoon.exe": [], "controls-window.exe": []}
    for run in range(runs):
        for samples, exe, window in programs[run % 2:2] + programs[:run % 2]:
            trace = f"{data}/trace-{exe}-{run}.txt"
            start_up(exe, window, trace)
            with open(trace) as lines:
                traced[exe].append([(int(us), phase) for us, phase in
                                    (line.rstrip("\n").split("\t", 1) for line in lines)])
finally:
    driver.stdin.write("quit\n")
    driver.stdin.flush()
    driver.wait(timeout=10)

def median_ms(samples):
    return statistics.median(seconds for seconds, _ in samples) * 1000

def peak_mib(samples):
    return max(peak for _, peak in samples) / 1048576

size = os.path.getsize(f"{build}/TovickPlashgoon.exe")
e, c, m = median_ms(editor), median_ms(controls), median_ms(minimal)
print(f"start-up to block 1 shown          (median of {runs}): {e:8.1f} ms")
print(f"window with the 41 controls shown  (median of {runs}): {c:8.1f} ms  (this window's floor)")
print(f"bare window shown                  (median of {runs}): {m:8.1f} ms  (the platform's own share)")
print(f"ratio to the window with the controls            : {e / c:8.2f}  (aim: at most 1.1)")
print(f"TovickPlashgoon.exe size                         : {size / 1024:8.1f} KiB  (aim: under 1 MB)")
print(f"peak working set with block 1 shown              : {peak_mib(editor):8.1f} MiB")
print(f"peak working set of the window with the controls : {peak_mib(controls):8.1f} MiB  (its floor)")
print(f"peak working set of the bare window              : {peak_mib(minimal):8.1f} MiB  (Wine's own share)")

def phase_medians(traces):
    """Each phase's median step (from the mark before it) and median end, in ms, in trace order."""
    steps, ends, order = {}, {}, []
    for marks in traces:
        before = 0
        for us, phase in marks:
            if phase not in steps:
                order.append(phase)
                steps[phase], ends[phase] = [], []
            steps[phase].append((us - before) / 1000)
            ends[phase].append(us / 1000)
            before = us
    return {phase: (statistics.median(steps[phase]), statistics.median(ends[phase]))
            for phase in order}, order

mine, order = phase_medians(traced["TovickPlashgoon.exe"])
floor, _ = phase_medians(traced["controls-window.exe"])
print()
print(f"start-up phases, from the process's start (median of {runs} traced runs, ms):")
print(f"  {'phase ended':<28} {'editor step':>11} {'at':>8}   {'floor step':>10} {'at':>8}")
for phase in order:
    step, end = mine[phase]
    line = f"  {phase:<28} {step:11.1f} {end:8.1f}"
    if phase in floor:
        line += f"   {floor[phase][0]:10.1f} {floor[phase][1]:8.1f}"
    print(line)
PYTHON
