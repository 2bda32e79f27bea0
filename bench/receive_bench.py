#!/usr/bin/env python3
"""Notes received from a scripted peer on the virtual LAN of the end-to-end
tests (tests/e2e/lan.py): how many a copy of the program takes per second
without losing one, and how long a note takes from its datagram to its
window.

    bench/receive_bench.py [--build DIR] [--count N] [--window N] [--shown N]

Needs root (network namespaces) and a win64 build. Prints figures; asserts
nothing. What is measured:

- notes per second: the peer sends N plain KL_SEND packets (one line each),
  at most W unanswered at any time so that the kernel drops none. Every
  KL_SEND is answered KL_RECIEVE before its note is made, so a note counts
  as received once the program's note count (query 3) reaches N. Rate =
  N / time from the first send to that count. Also: answers that were not
  KL_RECIEVE, and the CPU seconds of the program per note.
- datagram to window: for N single notes, each sent alone, the time from
  the send until a new visible note window is found (windows polled through
  kltool, so the figure includes about one poll).
"""

import argparse
import os
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from kelup_bench import KelupHost, Q  # noqa: E402
from lan import Lan, LanUnavailable  # noqa: E402
from peers import NativePeer, cp932, make_identity, packet_date  # noqa: E402

CLK_TCK = os.sysconf("SC_CLK_TCK")
MAX_SLOTS = 256


def note_packet(peer: NativePeer, text: str, left: int, top: int) -> bytes:
    date, clock = packet_date()
    identity = make_identity(peer.name, peer.computer, "", 0, "2.010")
    fields = ["KL_SEND", peer.addr, identity, date, clock, "1", "0", "0", "12648447", str(left), str(top), "200",
              "40", "12", "12", "0", "0", "0", "0", "Arial", "Arial", "1", "1899/12/30"]
    return cp932(";".join(fields) + ";" + text)


def cpu_seconds(pid: int) -> float:
    try:
        fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    except OSError:
        return float("nan")
    return (int(fields[11]) + int(fields[12])) / CLK_TCK


def recieves(peer: NativePeer, src: str) -> tuple[int, int]:
    """(KL_RECIEVE answers, KL_FULL and KL_ERR answers) from src."""
    ok = other = 0
    for d in peer.from_others():
        if d.src[0] != src or not d.native:
            continue
        if d.native.command == "KL_RECIEVE":
            ok += 1
        elif d.native.command in ("KL_FULL", "KL_ERR"):
            other += 1
    return ok, other


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", type=Path, default=ROOT / "build" / "win64")
    ap.add_argument("--count", type=int, default=200)
    ap.add_argument("--window", type=int, default=4)
    ap.add_argument("--shown", type=int, default=10)
    args = ap.parse_args()
    count = min(args.count, MAX_SLOTS - args.shown)
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
        node = lan.add_node("r")
        h = lan.make_host(lambda **kw: KelupHost(exe, kltool, **kw), node, my_name="受信")
        ini = h.kh.read_ini(h.kh.kelup_ini())
        ini["GENERAL"] = {"MAX1": str(MAX_SLOTS)}
        h.kh.write_ini(h.kh.kelup_ini(), ini)
        peer = NativePeer(lan.add_node("s"), "送り手", answer=False)
        try:
            h.start_ready()
            pid = h.kh.proc.pid if h.kh.proc else None
            cpu0 = cpu_seconds(pid) if pid else float("nan")
            base = h.query(Q.TextNoteCount)
            t0 = time.monotonic()
            sent = 0
            while sent < count:
                ok, other = recieves(peer, h.addr)
                if sent - ok - other < args.window:
                    peer.sock.sendto(note_packet(peer, f"note {sent}", 10 + sent % 40 * 10, 10 + sent % 30 * 10),
                                     (h.addr, 59630))
                    sent += 1
                else:
                    time.sleep(0.002)
            while h.query(Q.TextNoteCount) - base < count and time.monotonic() - t0 < 600:
                time.sleep(0.05)
            elapsed = time.monotonic() - t0
            made = h.query(Q.TextNoteCount) - base
            ok, other = recieves(peer, h.addr)
            cpu = (cpu_seconds(pid) - cpu0) if pid else float("nan")
            print(f"notes received: {count} sent, window {args.window}: {made} made, {ok} KL_RECIEVE, "
                  f"{other} KL_FULL or KL_ERR; {made / elapsed:7.1f} notes/s; "
                  f"{cpu / max(made, 1) * 1000:.1f} ms CPU of the program per note")

            times = []
            for i in range(args.shown):
                before = {w["hwnd"] for w in h.windows(cls="TKELUPSHI", visible=True, children=False)}
                t1 = time.monotonic()
                peer.sock.sendto(note_packet(peer, f"shown {i}", 600, 400), (h.addr, 59630))
                while True:
                    now = {w["hwnd"] for w in h.windows(cls="TKELUPSHI", visible=True, children=False)}
                    if now - before:
                        times.append(time.monotonic() - t1)
                        break
                    if time.monotonic() - t1 > 60:
                        break
            if times:
                print(f"KL_SEND to note window shown ({len(times)} notes): median "
                      f"{statistics.median(times) * 1000:.0f} ms (min {min(times) * 1000:.0f}, "
                      f"max {max(times) * 1000:.0f}); includes one window poll through kltool")
        finally:
            peer.close()
            h.kh.cleanup()
    return 0


if __name__ == "__main__":
    sys.exit(main())
