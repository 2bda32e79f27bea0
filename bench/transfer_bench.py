#!/usr/bin/env python3
"""File transfer throughput on the virtual LAN of the end-to-end tests
(tests/e2e/lan.py), against plain TCP between the same network namespaces.

    bench/transfer_bench.py [--build DIR] [--mib N] [--rounds N] [--skip-copies]

Needs root (network namespaces) and a win64 build. Prints figures; asserts
nothing. What is measured, each with a file of N MiB (default 1024) of
random bytes:

- plain TCP: a Python client sends the file to a Python server in another
  namespace, which writes it to a file (and, for reference, to nothing);
- copy to copy: one copy of the program sends the file chosen in its
  compose editor ("ファイルのみ送信する") to another copy; timed from the
  "はい" to the send question until the receiver asks what to do with the
  file (all bytes on its disk), so the figure includes the announcement and
  one window poll;
- scripted sender to copy: a Python client streams the file to a copy of the
  program (the receiving end alone), timed from the connection until the
  copy's "RECVEND";
- copy to scripted receiver: a copy sends to a Python server that speaks
  the server's side and discards the bytes (the sending end alone).

The ratio printed is each figure over plain TCP to a file. Plain TCP and
the scripted sender run a few rounds (the machine may be shared); the best
round counts.
"""

import argparse
import os
import socket
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from kelup_bench import KelupHost  # noqa: E402
from lan import Lan, LanUnavailable, NetHost  # noqa: E402
from peers import NativePeer, native_result  # noqa: E402

PORT = 11677
CHUNK = 1 << 20
HELLO = b"READY???????????\r\n"


CLK_TCK = os.sysconf("SC_CLK_TCK")


def cpu_seconds(h) -> float:
    """CPU seconds the copy's process has used so far."""
    proc = getattr(h.kh, "proc", None)
    try:
        fields = Path(f"/proc/{proc.pid}/stat").read_text().rsplit(")", 1)[1].split()
    except (OSError, AttributeError):
        return float("nan")
    return (int(fields[11]) + int(fields[12])) / CLK_TCK


def make_file(path: Path, mib: int) -> None:
    block = os.urandom(CHUNK)
    with open(path, "wb") as f:
        for i in range(mib):
            # Every MiB differs, cheaply.
            f.write(i.to_bytes(8, "little") + block[8:])


def read_line(s: socket.socket) -> bytes:
    data = b""
    while not data.endswith(b"\n"):
        b = s.recv(1)
        if not b:
            break
        data += b
    return data.rstrip(b"\r\n")


def plain_tcp(src_node, dst_node, path: Path, out: Path | None) -> float:
    """Seconds to move the file over one TCP connection, written to `out`
    (or dropped)."""
    server = dst_node.socket(socket.AF_INET, socket.SOCK_STREAM)
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("0.0.0.0", PORT + 1))
    server.listen(1)
    size = path.stat().st_size
    done = threading.Event()

    def serve():
        conn, _ = server.accept()
        got = 0
        f = open(out, "wb") if out else None
        buf = bytearray(CHUNK)
        view = memoryview(buf)
        while got < size:
            n = conn.recv_into(view, CHUNK)
            if n <= 0:
                break
            if f:
                f.write(view[:n])
            got += n
        if f:
            f.close()
        conn.sendall(b"END\r\n")
        conn.close()
        done.set()

    t = threading.Thread(target=serve, daemon=True)
    t.start()
    client = src_node.socket(socket.AF_INET, socket.SOCK_STREAM)
    t0 = time.monotonic()
    client.connect((dst_node.addr, PORT + 1))
    with open(path, "rb") as f:
        client.sendfile(f)
    read_line(client)
    elapsed = time.monotonic() - t0
    client.close()
    t.join(60)
    server.close()
    if out:
        out.unlink(missing_ok=True)
    return elapsed


def scripted_to_copy(peer: NativePeer, h: NetHost, path: Path) -> float:
    size = path.stat().st_size
    since = peer.mark()
    peer.send(native_result("KL_FILESENDREADY", peer.addr, peer.identity, f"bench.bin;{size};"), h.addr)
    peer.wait_for(lambda d: d.src[0] == h.addr and d.native and d.native.command == "KL_FILERECIEVREADY", 60,
                  what="the receiver ready", since=since)
    s = peer.node.socket(socket.AF_INET, socket.SOCK_STREAM)
    t0 = time.monotonic()
    s.connect((h.addr, PORT))
    s.sendall(HELLO)
    read_line(s)
    s.sendall(b"SIZE%d/\r\n" % size)
    read_line(s)
    with open(path, "rb") as f:
        s.sendfile(f)
    end = read_line(s)
    elapsed = time.monotonic() - t0
    s.close()
    if end != b"RECVEND         ":
        print(f"  scripted sender: the copy answered {end!r}")
    return elapsed


class ScriptedReceiver(NativePeer):
    """Answers a file announcement ready and takes the file on its own
    listener, dropping the bytes."""

    def __init__(self, node, name):
        super().__init__(node, name)
        self.server = node.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.server.bind(("0.0.0.0", PORT))
        self.server.listen(1)
        self.started = self.ended = 0.0

    def on_datagram(self, d) -> None:
        super().on_datagram(d)
        m = d.native
        if m and m.command == "KL_FILESENDREADY":
            threading.Thread(target=self.take, daemon=True).start()
            self.send(native_result("KL_FILERECIEVREADY", self.addr, self.identity), d.src[0])

    def take(self) -> None:
        conn, _ = self.server.accept()
        self.started = time.monotonic()
        read_line(conn)
        conn.sendall(b"READY           \r\n")
        size = int(read_line(conn)[4:].split(b"/")[0])
        conn.sendall(b"SIZEOK          \r\n")
        buf = bytearray(CHUNK)
        got = 0
        while got < size:
            n = conn.recv_into(buf, CHUNK)
            if n <= 0:
                break
            got += n
        conn.sendall(b"RECVEND         \r\n")
        self.ended = time.monotonic()
        conn.close()


def copy_sends(h: NetHost, path_win: str) -> float:
    """The compose editor sends the file to its only peer; seconds from the
    consent to the send question."""
    from test_transfer import choose_file  # noqa: E402
    from test_send import message_box, open_editor, pick_recipients  # noqa: E402
    ed = open_editor(h)
    h.kl("type", "--text", "bench")
    pick_recipients(h, ed, 1, [0])
    h.click(None, "ファイルのみ送信する", cls="TInputEditer")
    h.click(None, "送信", cls="TInputEditer")
    choose_file(h, path_win)
    box = message_box(h, "送信してもいいですか?")
    h.click(None, "はい", hwnd=box["hwnd"])
    return time.monotonic()


def dismiss_all(h) -> None:
    for box in h.message_boxes():
        for caption in ("いいえ", "OK"):
            try:
                h.click(None, caption, hwnd=box["hwnd"])
                break
            except Exception:
                continue


def rate(mib: int, seconds: float) -> str:
    return f"{mib / seconds:8.1f} MiB/s ({seconds:6.2f} s)"


def main() -> int:
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", type=Path, default=ROOT / "build" / "win64")
    ap.add_argument("--mib", type=int, default=1024)
    ap.add_argument("--rounds", type=int, default=3, help="rounds of the cheap measurements; the best counts")
    ap.add_argument("--skip-copies", action="store_true", help="no copy-to-copy run (the editor is not driven)")
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
    hosts = []
    peers = []
    with lan:
        a_node, b_node, p_node = lan.add_node("a"), lan.add_node("b"), lan.add_node("p")
        try:
            a = lan.make_host(lambda **kw: KelupHost(exe, kltool, **kw), a_node, my_name="送り手",
                              options={"DisplayMyName": 1})
            b = lan.make_host(lambda **kw: KelupHost(exe, kltool, **kw), b_node, my_name="受け手",
                              options={"DisplayMyName": 1})
            hosts += [a, b]
            folder = a.kh.win_to_linux(r"C:\\")
            (folder / "kelup-bench").mkdir(exist_ok=True)
            src = folder / "kelup-bench" / "bench.bin"
            make_file(src, args.mib)
            print(f"file: {args.mib} MiB")

            drop = Path(f"/tmp/transfer-bench-{os.getpid()}.bin")
            # The machine is shared: the best of a few rounds.
            tcp_null = min(plain_tcp(a_node, b_node, src, None) for _ in range(args.rounds))
            tcp_file = min(plain_tcp(a_node, b_node, src, drop) for _ in range(args.rounds))
            print(f"plain TCP, to nothing:          {rate(args.mib, tcp_null)}")
            print(f"plain TCP, to a file:           {rate(args.mib, tcp_file)}")

            a.start_ready()
            b.start_ready()

            peer = NativePeer(p_node, "台本")
            peers.append(peer)
            from test_send import message_box  # noqa: E402
            best = None
            for _ in range(args.rounds):
                cpu0 = cpu_seconds(b)
                t = scripted_to_copy(peer, b, src)
                cpu_b = cpu_seconds(b) - cpu0
                best = t if best is None else min(best, t)
                box = message_box(b, "からファイルを受信しました。", 120)
                b.click(None, "いいえ", hwnd=box["hwnd"])
                left = message_box(b, "下記の場所に残っています", 120)
                b.click(None, "OK", hwnd=left["hwnd"])
                kept = b.kh.win_to_linux(b.kh.data_dir()) / "temp" / "bench.bin"
                kept.unlink(missing_ok=True)
            print(f"scripted sender to a copy:      {rate(args.mib, best)}  ratio {tcp_file / best:4.2f}; "
                  f"receiver's CPU {cpu_b / args.mib * 1024:.2f} s per GiB (last round)")
            peer.close()
            peers.remove(peer)

            if not args.skip_copies:
                # a lists b (and the scripted peer, gone again: it never entered).
                data = b.kh.win_to_linux(b.kh.data_dir())
                size = src.stat().st_size
                cpu_a0, cpu_b0 = cpu_seconds(a), cpu_seconds(b)
                t0 = copy_sends(a, r"C:\kelup-bench\bench.bin")
                # The receiver's temporary file, watched from outside: made
                # when the size is agreed, whole when the last byte is in.
                first = last = None
                deadline = time.monotonic() + 1200
                while last is None and time.monotonic() < deadline:
                    temp = next(iter(data.glob("*.~mp")), None)
                    try:
                        grown = temp.stat().st_size if temp else -1
                    except OSError:
                        grown = -1
                    if grown >= 0 and first is None:
                        first = time.monotonic()
                    if grown == size:
                        last = time.monotonic()
                    time.sleep(0.005)
                box = message_box(b, "からファイルを受信しました。", 1200)
                asked = time.monotonic()
                t = asked - t0
                print(f"copy to copy, consent to question: {rate(args.mib, t)}  ratio {tcp_file / t:4.2f}")
                if first and last:
                    w = last - first
                    print(f"copy to copy, first to last byte:  {rate(args.mib, w)}  ratio {tcp_file / w:4.2f}")
                    print(f"  of the rest: consent to first byte {first - t0:.2f} s, last byte to the question seen "
                          f"{asked - last:.2f} s")
                print(f"copy to copy, CPU per GiB: sender {(cpu_seconds(a) - cpu_a0) / args.mib * 1024:.2f} s, "
                      f"receiver {(cpu_seconds(b) - cpu_b0) / args.mib * 1024:.2f} s (with the editor and dialogs)")
                b.click(None, "いいえ", hwnd=box["hwnd"])
                dismiss_all(a)
                dismiss_all(b)
            b.stop()

            recv = ScriptedReceiver(p_node, "受信台本")
            peers.append(recv)
            recv.enter()
            t0 = copy_sends(a, r"C:\kelup-bench\bench.bin") if not args.skip_copies else None
            if t0 is not None:
                deadline = time.monotonic() + 1200
                while not recv.ended and time.monotonic() < deadline:
                    time.sleep(0.05)
                if recv.ended:
                    t = recv.ended - recv.started
                    print(f"a copy to a scripted receiver:  {rate(args.mib, t)}  ratio {tcp_file / t:4.2f}")
        finally:
            for p in peers:
                p.close()
            for h in hosts:
                h.kh.cleanup()
    return 0


if __name__ == "__main__":
    sys.exit(main())
