#!/usr/bin/env python3
"""How quickly a note goes from one copy of Kelupon to another on the
virtual LAN of the end-to-end tests (tests/e2e/lan.py): from the send
command ("送信" pressed in the compose editor of copy a) until the note is
shown at copy b (goal: within 250 ms).

    bench/send_bench.py [--build DIR] [--rounds N]

Needs root (network namespaces) and a win64 build. Prints figures; asserts
nothing. Both copies stamp their events with the system's monotonic clock
(Wine's performance counter), read afterwards through test queries: the
press of "送信" at a (query PressedAt) and the arrived note shown at b
(query ReceivedShownAt). The two prefixes share that clock; the bench checks
it against its own and prints the largest difference seen. A note's way
includes the "KL_DUMMY" that goes ahead of it and the 100 ms the sender waits
after it, as the dialect has it.
"""

import argparse
import os
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from kelup_bench import KelupHost, Q, wait_until  # noqa: E402
from lan import Lan, LanUnavailable  # noqa: E402
from test_lan import Net  # noqa: E402
from test_send import write_and_send  # noqa: E402


def start_host(net, name: str, **settings):
    """A copy started as the tests start one (test_send.start_host); its
    windows unmanaged as in every test prefix unless --managed (there is no
    window manager on the bench's display, and Wine then waits 2 s for one
    each time a captioned window, the editor, is hidden)."""
    settings["options"] = {"DisplayMyName": 1, **settings.get("options", {})}
    return net.host(name, **settings).start_ready()


def clock_skew(*hosts) -> float:
    """The largest difference, in ms, between a program's clock and ours."""
    worst = 0.0
    for h in hosts:
        before = time.monotonic_ns() // 1000
        theirs = h.query(Q.ClockNow)
        after = time.monotonic_ns() // 1000
        if theirs < before:
            worst = max(worst, (before - theirs) / 1000)
        elif theirs > after:
            worst = max(worst, (theirs - after) / 1000)
    return worst


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", type=Path, default=ROOT / "build" / "win64")
    ap.add_argument("--rounds", type=int, default=10)
    ap.add_argument("--managed", action="store_true", help="leave Wine's windows to a window manager")
    args = ap.parse_args()
    if args.managed:
        os.environ["KELUP_MANAGED"] = "1"   # the hosts' prefixes are made with managed windows
    exe, kltool = args.build / "Kelupon.exe", args.build / "tools" / "kltool" / "kltool.exe"
    try:
        lan = Lan()
    except LanUnavailable as e:
        print(f"no virtual LAN: {e}")
        return 1
    net = Net(lan, lambda **kw: KelupHost(exe, kltool, **kw))
    hosts = []
    figures = []
    try:
        a = start_host(net, "a", my_name="送り手")
        b = start_host(net, "b", my_name="受け手", options={"MAX1": 256})
        hosts = [a, b]
        skew = clock_skew(a, b)
        for i in range(args.rounds + 1):
            before = b.query(Q.TextNoteCount)
            write_and_send(a, f"計測 {i}", 1, [0])
            wait_until(lambda: b.query(Q.TextNoteCount) > before, 60, what="the note at b")
            wait_until(lambda: a.query(Q.TextNoteCount) == 0, 60, what="the sent note peeled at a")
            pressed, shown = a.query(Q.PressedAt), b.query(Q.ReceivedShownAt)
            if i == 0:
                continue   # the first round finds the peer and loads the fonts
            figures.append((shown - pressed) / 1000)
        skew = max(skew, clock_skew(a, b))
    finally:
        for h in hosts:
            h.kh.cleanup()
        net.close()
        lan.close()
    m = statistics.median(figures)
    print(f"send command to the note shown at the other copy ({args.rounds} rounds after a first one, ms"
          f"{', windows managed' if args.managed else ''})")
    print(f"  median {m:7.1f}  (min {min(figures):.1f}, max {max(figures):.1f})  goal 250")
    print(f"  clocks of the two programs against the bench's: at most {skew:.2f} ms apart")
    return 0


if __name__ == "__main__":
    sys.exit(main())
