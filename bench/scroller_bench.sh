#!/usr/bin/env bash
# Scroller benchmark under Wine, on demo data with both paths remembered:
#  - CPU: the CPU time TovickPlashgoon.exe takes over 10 s of scrolling at the default speed (its
#    own process, and what the Wine server spends meanwhile), beside minimal-scroller.exe, a bare
#    window whose 540 x 20 strip moves one pixel every 10 ms and gets new text every seventh tick;
#    the X server's share is printed too;
#  - responsiveness while scrolling, at the default speed and at the fastest (scroll delay 0):
#    from a click on "APPLY CHANGES" until the strip shows the first letter of its message, and
#    from choosing a block until the editor has shown it (median and worst of several).
# Prints figures; it is not a test.
#
#   bench/scroller_bench.sh [WINDOWS_BUILD_DIR]     (default: build/win64)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$repo/build/win64}" && pwd)
seconds=${TOVICK_BENCH_SECONDS:-10}
samples=${TOVICK_BENCH_SAMPLES:-10}
# shellcheck source=bench/bench_env.sh
source "$repo/bench/bench_env.sh"
bench_env scroller "$build" TovickPlashgoon.exe minimal-scroller.exe tovick-driver.exe tovick-gen.exe

xvfb_pid=$(cat "$build/e2e-wine/xvfb.pid" 2>/dev/null || echo 0)
python3 - "$repo" "$build" "$data" "$seconds" "$samples" "$xvfb_pid" <<'PYTHON'
import json, os, signal, statistics, subprocess, sys, time
from pathlib import Path

repo, build, data = sys.argv[1], sys.argv[2], Path(sys.argv[3])
seconds, samples, xvfb_pid = float(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6])
sys.path.insert(0, f"{repo}/tests/e2e")
import harness as h  # the window's control numbers and the block reader

wine = os.environ["TOVICK_WINE"]  # the one launcher, set by bench_env.sh

TICKS = os.sysconf("SC_CLK_TCK")

def cpu_seconds(pid):
    """User plus system CPU time of a process so far, or None when it is gone."""
    try:
        fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    except OSError:
        return None
    return (int(fields[11]) + int(fields[12])) / TICKS

def wineserver_pid():
    """The Wine server of this prefix (other prefixes may have servers of their own)."""
    prefix = os.environ["WINEPREFIX"].encode()
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if not (entry / "comm").read_text().startswith("wineserver"):
                continue
            if b"WINEPREFIX=" + prefix + b"\0" in (entry / "environ").read_bytes():
                return int(entry.name)
        except OSError:
            continue
    raise SystemExit("scroller_bench: no Wine server found for " + prefix.decode())

driver = subprocess.Popen([wine, f"{build}/tovick-driver.exe", "serve"], stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1,
                          start_new_session=True)

def ask(*words):
    driver.stdin.write("\t".join(str(word) for word in words) + "\n")
    answer = json.loads(driver.stdout.readline())
    if not answer["ok"]:
        raise SystemExit(f"scroller_bench: {words[0]}: {answer['error']}")
    return answer

def start(exe):
    return subprocess.Popen([wine, f"{build}/{exe}"], cwd=data, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)

def group_members(process):
    """(pid, name) of the processes of the started program's group: Wine's start.exe, the
    program itself and the desktop process Wine starts with the first window."""
    members = []
    for entry in Path("/proc").iterdir():
        try:
            name, fields = (entry / "stat").read_text().rsplit(")", 1)
        except (OSError, ValueError):
            continue
        if int(fields.split()[2]) == process.pid:
            members.append((int(entry.name), name.split("(", 1)[1]))
    return members

def stop(process):
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()

def cpu_over(process, exe, server):
    """CPU seconds of the program, the Wine server, the X server and Wine's other processes of
    the program (start.exe, the desktop) over `seconds` of running."""
    members = group_members(process)
    own = [pid for pid, name in members if name == exe[:15]]
    if len(own) != 1:
        raise SystemExit(f"scroller_bench: cannot tell the process of {exe} among {members}")
    pids = (own[0], server, xvfb_pid, *[pid for pid, _ in members if pid != own[0]])
    before = [cpu_seconds(pid) or 0.0 for pid in pids]
    time.sleep(seconds)
    after = [cpu_seconds(pid) or 0.0 for pid in pids]
    spent = [b - a for a, b in zip(before, after)]
    return spent[:3] + [sum(spent[3:])]

def editor_cpu(server):
    process = start("TovickPlashgoon.exe")
    try:
        ask("wait-ready", 30000)
        time.sleep(1)  # past start-up
        return cpu_over(process, "TovickPlashgoon.exe", server)
    finally:
        ask("click", h.EXIT)
        ask("press")
        process.wait(timeout=20)
        stop(process)

def minimal_cpu(server):
    window = ("TovickMinimalScroller", "Minimal Scroller")
    process = start("minimal-scroller.exe")
    try:
        ask("wait-window", *window, 30000)
        time.sleep(1)
        return cpu_over(process, "minimal-scroller.exe", server)
    finally:
        ask("close-window", *window)
        process.wait(timeout=20)
        stop(process)

def faster(presses):
    """Presses "<", each after the scroller has surely taken the one before."""
    for _ in range(presses):
        ask("click", h.FASTER)
        time.sleep(0.1)

def responsiveness(blocks, fastest):
    """Milliseconds from APPLY CHANGES to the strip's first letter, and from a block choice until
    it is shown, `samples` times each."""
    apply, choose = [], []
    for i in range(samples):
        if fastest:
            faster(1)  # a message leaves the scroll delay at 1; one more "<" takes it to 0
        apply.append(ask("timed-click", h.APPLY, h.SCROLLER, "C ", 5000)["shown_us"] / 1000)
        time.sleep(0.4 if fastest else 1.8)  # the message's effect runs out
        position = 1 + i % 2
        shown = ask("timed-select", h.BLOCK_LIST, position, h.X_EDIT,
                    h.number_text(blocks[position].x), 5000)
        choose.append(max(shown["command_us"], shown["shown_us"]) / 1000)
    return apply, choose

try:
    ask("sleep", 1)  # the driver itself is up
    server = wineserver_pid()
    editor = editor_cpu(server)
    minimal = minimal_cpu(server)

    blocks = h.read_blocks(data / "MAIN.SCM")
    process = start("TovickPlashgoon.exe")
    try:
        ask("wait-ready", 30000)
        time.sleep(1)
        default = responsiveness(blocks, False)
        faster(4)  # 10 -> 5 -> 2 -> 1 -> 0 ms
        fastest = responsiveness(blocks, True)
        ask("click", h.EXIT)
        ask("press")
        process.wait(timeout=20)
    finally:
        stop(process)
finally:
    driver.stdin.write("quit\n")
    driver.stdin.flush()
    driver.wait(timeout=10)

def cpu_line(name, figures):
    own, server, x, others = figures
    return (f"{name:<21}: program {own * 1000:5.0f} ms + Wine server {server * 1000:5.0f} ms = "
            f"{(own + server) * 1000:5.0f} ms  (X server {x * 1000:.0f} ms, Wine's desktop "
            f"{others * 1000:.0f} ms)")

print(f"CPU time over {seconds:.0f} s of scrolling at the default speed")
print(cpu_line("TovickPlashgoon.exe", editor))
print(cpu_line("minimal-scroller.exe", minimal))
ratio = (editor[0] + editor[1]) / max(minimal[0] + minimal[1], 1e-9)
print(f"ratio (program + Wine server): {ratio:.2f}  (aim: at most 1.2)")
print(f"responsiveness while scrolling, {samples} samples each (median / worst, aim: under 50 ms)")
for speed, (apply, choose) in (("default speed", default), ("scroll delay 0", fastest)):
    print(f"  {speed:<14} APPLY CHANGES to the strip's message {statistics.median(apply):6.1f} / "
          f"{max(apply):6.1f} ms; block choice to block shown {statistics.median(choose):6.1f} / "
          f"{max(choose):6.1f} ms")
PYTHON
