#!/usr/bin/env python3
"""Start-to-ready time and idle cost of Kelupon.exe under Wine, each beside the
same figure for a minimal Win32 program started the same way.

    bench/startup_idle.py [--runs N] [--idle-seconds S] [--notes N]

Needs a win64 build (Kelupon.exe, kltool.exe, minimal_bench.exe). Prints
figures; asserts nothing.
"""

import argparse
import os
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from kelup_bench import KelupHost  # noqa: E402

BUILD = ROOT / "build" / "win64"
EXE = BUILD / "Kelupon.exe"
KLTOOL = BUILD / "tools" / "kltool" / "kltool.exe"
MINIMAL = BUILD / "bench" / "minimal_bench.exe"
CLK_TCK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid: int) -> float:
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK_TCK


def wakeups(pid: int) -> int:
    """Context switches of all threads: each one is a wake-up or a preemption."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        for line in (task / "status").read_text().splitlines():
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                total += int(line.split()[1])
    return total


def prefix_pids(prefix: Path, name: str) -> list[int]:
    """Linux processes whose command line names `name` and that run in `prefix`."""
    pids = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            cmd = (proc / "cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
            env = (proc / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if name.lower() in cmd.lower() and f"WINEPREFIX={prefix}".encode() in env:
            pids.append(int(proc.name))
    return pids


def seed(h: KelupHost, notes: int) -> None:
    h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "1"}})
    if notes:
        h.seed_kelup_ini({"GENERAL": {"MAX1": "256"}})


def start_kelupon(notes: int) -> tuple[float, KelupHost]:
    h = KelupHost(EXE, KLTOOL, name="bench", hold_desktop=False)
    seed(h, notes)
    if notes:
        # Notes made through the program itself, saved, and the program ended.
        h.start()
        h.wait_ready()
        for _ in range(notes):
            h.command(1001)
        h.close()
        h.wait_exit(120)
        h.wineserver("-w")
        h.ensure_server()
    t0 = time.monotonic()
    h.start()
    h.kl("wait-ready", "--timeout", 120000, timeout=150)
    return time.monotonic() - t0, h


def start_minimal() -> tuple[float, KelupHost]:
    h = KelupHost(EXE, KLTOOL, name="bench-min", hold_desktop=False)
    exe = r"C:\Program Files\Kelupon\minimal_bench.exe"
    import shutil
    shutil.copy2(MINIMAL, h.win_to_linux(exe))
    t0 = time.monotonic()
    h.spawn(exe=exe)
    h.kl("wait-window", "--title", "MinimalBench", "--timeout", 60000, timeout=90)
    return time.monotonic() - t0, h


def idle(h: KelupHost, exe_name: str, seconds: float) -> tuple[float, float]:
    pids = prefix_pids(h.prefix, exe_name)
    if not pids:
        return float("nan"), float("nan")
    pid = pids[0]
    c0, w0 = cpu_seconds(pid), wakeups(pid)
    time.sleep(seconds)
    c1, w1 = cpu_seconds(pid), wakeups(pid)
    return (c1 - c0) / seconds * 100, (w1 - w0) / seconds


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--idle-seconds", type=float, default=60)
    ap.add_argument("--notes", type=int, nargs="*", default=[0])
    args = ap.parse_args()
    for path in (EXE, KLTOOL, MINIMAL):
        if not path.exists():
            print(f"missing {path}: build the win64 preset first", file=sys.stderr)
            return 2

    print(f"start-to-ready, median of {args.runs} runs (fresh Wine prefix each, wineserver already up)")
    for notes in args.notes:
        times = []
        for _ in range(args.runs):
            t, h = start_kelupon(notes)
            times.append(t)
            h.cleanup()
        print(f"  Kelupon.exe with {notes:3d} notes: {statistics.median(times) * 1000:7.0f} ms "
              f"(min {min(times) * 1000:.0f}, max {max(times) * 1000:.0f})")
    times = []
    for _ in range(args.runs):
        t, h = start_minimal()
        times.append(t)
        h.cleanup()
    print(f"  minimal Win32 program:     {statistics.median(times) * 1000:7.0f} ms "
          f"(min {min(times) * 1000:.0f}, max {max(times) * 1000:.0f})")

    print(f"idle over {args.idle_seconds:.0f} s after start-up (CPU of the program's process, wake-ups)")
    _, h = start_kelupon(0)
    time.sleep(2)
    cpu, wk = idle(h, "Kelupon.exe", args.idle_seconds)
    print(f"  Kelupon.exe:           {cpu:6.3f} % CPU, {wk:7.1f} context switches/s")
    h.cleanup()
    _, h = start_minimal()
    time.sleep(2)
    cpu, wk = idle(h, "minimal_bench.exe", args.idle_seconds)
    print(f"  minimal Win32 program: {cpu:6.3f} % CPU, {wk:7.1f} context switches/s")
    h.cleanup()
    return 0


if __name__ == "__main__":
    sys.exit(main())
