#!/usr/bin/env python3
"""Kelupon on the virtual LAN of the end-to-end tests (tests/e2e/lan.py):
how fast two copies find each other, and how many datagrams a copy deals
with per second.

    bench/lan_bench.py [--build DIR] [--runs N] [--count N] [--window N]

Needs root (network namespaces) and a win64 build. Prints figures; asserts
nothing. What is measured:

- discovery: from starting two copies (one right after the other, each in a
  fresh prefix whose wineserver already runs) until each one's send list 0
  holds the other. The lists are read through the program's dump message,
  about every 0.1 s, so the figure is good to about that much. Also the time
  until both were ready (start-up alone).
- datagrams per second, native port, one copy, one scripted peer:
  * burst: the peer sends N KL_NETENTRY as fast as it can. The program
    answers every one it deals with by a KL_BCANS, so the answers count what
    it dealt with; the rest was dropped by the kernel (the program's receive
    buffer is 32 KiB). Rate = answers / (last answer - first send).
  * windowed: at most W datagrams unanswered at any time, so that none is
    dropped. Rate = N / elapsed; CPU seconds of the program's process and of
    the prefix's wineserver over that time, per datagram.
  * KL_BCANS (which the program takes in without answering) in batches of
    W, each followed by a KL_NETENTRY marker: when the marker's answer is
    back, the batch was dealt with. Taken in = the program's receive counter
    (query 16) less the markers. Rate = (taken in + markers) / elapsed.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from kelup_bench import KelupHost  # noqa: E402
from lan import Lan, LanUnavailable  # noqa: E402
from peers import NativePeer, bcans, native_broadcast  # noqa: E402

CLK_TCK = os.sysconf("SC_CLK_TCK")
NATIVE_RECEIVED = 16


def cpu_seconds(pid: int) -> float:
    try:
        fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    except OSError:
        return float("nan")
    return (int(fields[11]) + int(fields[12])) / CLK_TCK


def pids_named(netns: str, name: str) -> list[int]:
    """Processes of a node's namespace whose command line holds `name`."""
    out = subprocess.run(["ip", "netns", "pids", netns], capture_output=True, text=True).stdout.split()
    found = []
    for pid in out:
        try:
            cmd = Path(f"/proc/{pid}/cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if name.lower() in cmd.lower():
            found.append(int(pid))
    return found


def discovery_run(lan: Lan, exe: Path, kltool: Path, run: int) -> tuple[float, float]:
    hosts = []
    try:
        for name in ("a", "b"):
            node = lan.add_node(f"{name}{run}")
            hosts.append(lan.make_host(lambda **kw: KelupHost(exe, kltool, **kw), node,
                                       my_name=f"計測{name}", section="計測"))
        t0 = time.monotonic()
        for h in hosts:
            h.kh.start()
        for h in hosts:
            h.kh.wait_ready(90)
        ready = time.monotonic() - t0
        a, b = hosts
        pending = {a: b.entry, b: a.entry}
        while pending:
            for h, other in list(pending.items()):
                if other in h.lists().all:
                    del pending[h]
            if time.monotonic() - t0 > 60:
                raise RuntimeError("the copies did not list each other within 60 s")
        return ready, time.monotonic() - t0
    finally:
        for h in hosts:
            h.kh.cleanup()


def wait_answers(peer: NativePeer, h, count: int, t0: float, quiet: float = 2.0) -> float:
    """Waits until `count` answers from h are in, or none came for `quiet` s;
    returns the arrival time of the last one."""
    last, seen = t0, -1
    while True:
        answers = [d for d in peer.received if d.src[0] == h.addr and d.native and d.native.command == "KL_BCANS"]
        if len(answers) != seen:
            seen = len(answers)
            last = answers[-1].at if answers else t0
        if seen >= count or time.monotonic() - last > quiet:
            return last
        time.sleep(0.01)


def answers_from(peer: NativePeer, h) -> int:
    return sum(1 for d in peer.received if d.src[0] == h.addr and d.native and d.native.command == "KL_BCANS")


def throughput(lan: Lan, exe: Path, kltool: Path, count: int, window: int) -> None:
    node = lan.add_node("t")
    h = lan.make_host(lambda **kw: KelupHost(exe, kltool, **kw), node, my_name="計測")
    peer = None
    try:
        h.start_ready()
        h.wait_lists(lambda l: h.entry in l.all, what="own entry")
        peer = NativePeer(lan.add_node("tp"), "送り手", answer=False)
        packet = native_broadcast("KL_NETENTRY", peer.addr, peer.identity, "0", "0")

        # Burst.
        base = answers_from(peer, h)
        t0 = time.monotonic()
        for _ in range(count):
            peer.sock.sendto(packet, (h.addr, 59630))
        last = wait_answers(peer, h, base + count, t0)
        dealt = answers_from(peer, h) - base
        print(f"  burst of {count} KL_NETENTRY: {dealt} dealt with ({count - dealt} dropped by the kernel), "
              f"{dealt / max(last - t0, 1e-9):8.0f} /s")

        # Windowed.
        prog = pids_named(node.netns, "kelupon.exe")
        server = pids_named(node.netns, "wineserver")
        cpu0 = [cpu_seconds(p) for p in prog[:1] + server[:1]]
        base = answers_from(peer, h)
        t0 = time.monotonic()
        sent = 0
        lost_check = time.monotonic()
        while True:
            done = answers_from(peer, h) - base
            if done >= count:
                break
            if sent - done < window and sent < count:
                peer.sock.sendto(packet, (h.addr, 59630))
                sent += 1
                lost_check = time.monotonic()
                continue
            if time.monotonic() - lost_check > 1.0:   # something was dropped after all: top up
                sent = done
                lost_check = time.monotonic()
            time.sleep(0.0002)
        elapsed = time.monotonic() - t0
        cpu1 = [cpu_seconds(p) for p in prog[:1] + server[:1]]
        per = [(b - a) / count * 1e6 for a, b in zip(cpu0, cpu1)]
        cpu_text = ""
        if len(per) == 2:
            cpu_text = f"; CPU per datagram: program {per[0]:.0f} µs, wineserver {per[1]:.0f} µs"
        print(f"  window of {window}, {count} KL_NETENTRY answered: {count / elapsed:8.0f} /s "
              f"({elapsed:.2f} s){cpu_text}")

        # KL_BCANS in batches of W, each followed by a KL_NETENTRY marker.
        taken0 = h.query(NATIVE_RECEIVED)
        answer = bcans(peer.addr, peer.identity, "0")
        t0 = time.monotonic()
        markers = 0
        for _ in range(count // window):
            for _ in range(window):
                peer.sock.sendto(answer, (h.addr, 59630))
            base = answers_from(peer, h)
            while answers_from(peer, h) == base:
                peer.sock.sendto(packet, (h.addr, 59630))
                markers += 1
                end = time.monotonic() + 1
                while answers_from(peer, h) == base and time.monotonic() < end:
                    time.sleep(0.0002)
        elapsed = time.monotonic() - t0
        sent = count // window * window
        taken = h.query(NATIVE_RECEIVED) - taken0 - markers
        print(f"  {sent} KL_BCANS in batches of {window}, each followed by a KL_NETENTRY marker: {taken} taken in, "
              f"{(taken + markers) / elapsed:8.0f} datagrams/s ({elapsed:.2f} s)")
    finally:
        if peer:
            peer.close()
        h.kh.cleanup()


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", type=Path, default=ROOT / "build" / "win64")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--count", type=int, default=5000)
    ap.add_argument("--window", type=int, default=16)
    args = ap.parse_args()
    exe, kltool = args.build / "Kelupon.exe", args.build / "tools" / "kltool" / "kltool.exe"
    for path in (exe, kltool):
        if not path.exists():
            print(f"missing {path}: build the win64 preset first", file=sys.stderr)
            return 2
    try:
        lan = Lan()
    except LanUnavailable as e:
        print(f"no virtual LAN: {e}", file=sys.stderr)
        return 2
    with lan:
        print(f"two copies finding each other, {args.runs} runs (fresh prefixes, wineservers already up)")
        ready, found = [], []
        for run in range(args.runs):
            r, f = discovery_run(lan, exe, kltool, run)
            ready.append(r)
            found.append(f)
        print(f"  both ready:            median {statistics.median(ready) * 1000:6.0f} ms "
              f"(min {min(ready) * 1000:.0f}, max {max(ready) * 1000:.0f})")
        print(f"  each lists the other:  median {statistics.median(found) * 1000:6.0f} ms "
              f"(min {min(found) * 1000:.0f}, max {max(found) * 1000:.0f})")
        print("datagrams dealt with on the native port")
        throughput(lan, exe, kltool, args.count, args.window)
    return 0


if __name__ == "__main__":
    sys.exit(main())
