"""Scripted peers for the LAN tests, speaking the program's two datagram
dialects byte for byte (code page 932):

- native, UDP 59630: "KL_..." command words and ";"-separated fields
      KL_NETENTRY;addr;identity;relay;broadcast mode;0
      KL_BCANS;addr;identity;flag;date;time
  with identities 'name（computer）/section##sex#@#@#version';
- IP Messenger, UDP 2425: "1:packet number:user:host:command:extra", a NUL,
  and for entries and answers the group after it.

    peer = NativePeer(lan.add_node("p"), "佐藤", "KL-P", section="営業")
    peer.enter()                       # KL_NETENTRY to 255.255.255.255
    peer.wait_for(lambda d: d.command == "KL_BCANS", what="an answer")
    ipm = IpMsgPeer(lan.add_node("q"), "suzuki", "QPC", nick="鈴木", group="開発")
    ipm.entry()

Every peer owns one UDP socket bound to its port in its node's namespace and
a thread that takes every datagram in (received, wait_for()) and answers
announcements as the program would (answer=False turns that off). Flooder
sends hostile datagrams (see FLOOD_KINDS).
"""

from __future__ import annotations

import itertools
import random
import socket
import threading
import time
from collections.abc import Callable, Iterator
from dataclasses import dataclass, field

from kelup_bench import BenchError
from lan import Entry, Node

ENCODING = "cp932"
NATIVE_PORT = 59630
IPMSG_PORT = 2425
BROADCAST = "255.255.255.255"
VERSION = "2.001"
IPMSG_VERSION = "1.00"
IPMSG_SEX = "8"

# IP Messenger modes (low 8 bits of the command number).
IPM_ENTRY, IPM_EXIT, IPM_ANSENTRY = 1, 2, 3
IPM_SENDMSG, IPM_READMSG = 32, 48
# Option bits: this packet is UTF-8; the sender understands UTF-8.
IPM_UTF8OPT, IPM_CAPUTF8OPT = 0x800000, 0x1000000


def cp932(text: str) -> bytes:
    return text.encode(ENCODING)


def make_identity(name: str, computer: str, section: str = "", sex: int | str = 0, version: str = VERSION) -> str:
    text = f"{name}（{computer}）"
    if section:
        text += "/" + section
    return f"{text}##{sex}#@#@#{version}"


def split_identity(identity: str) -> tuple[str, str, str, str]:
    """(display name, section, sex, version) of an identity field, read the
    way the program reads it."""
    ident = identity.split("|@|@|", 1)[0]
    if "#@#@#" in ident:
        ident, version = ident.split("#@#@#", 1)
        version = version[:5]
    else:
        version = "1.00"
        ident = ident.split("###", 1)[0]
    sex = "0"
    if "##" in ident:
        ident, rest = ident.split("##", 1)
        sex = rest[:1]
    display, _, section = ident.partition("/")
    return display, section, sex, version


def packet_date(when: float | None = None) -> tuple[str, str]:
    t = time.localtime(when)
    return time.strftime("%Y/%m/%d", t), time.strftime("%H:%M:%S", t)


# ---- native packets ------------------------------------------------------------

def native_broadcast(command: str, addr: str, identity: str, relay: str = "0", mode: str = "0") -> bytes:
    """KL_NETENTRY, KL_NETENTRYSUB, KL_EXIT, KL_EXITSUB."""
    return cp932(f"{command};{addr};{identity};{relay};{mode};0")


def native_result(command: str, addr: str, identity: str, extra: str = "", when: float | None = None) -> bytes:
    """A result packet: command;addr;identity;extra date;time ('extra' ends
    with ';' when not empty, e.g. '0;' for KL_BCANS)."""
    date, clock = packet_date(when)
    return cp932(f"{command};{addr};{identity};{extra}{date};{clock}")


def bcans(addr: str, identity: str, flag: str = "0") -> bytes:
    return native_result("KL_BCANS", addr, identity, flag + ";")


@dataclass
class NativeMsg:
    command: str
    fields: list[str]       # after the command word

    def field(self, i: int) -> str:
        return self.fields[i] if i < len(self.fields) else ""

    @property
    def addr(self) -> str:
        return self.field(0)

    @property
    def identity(self) -> str:
        return self.field(1)


def parse_native(data: bytes) -> NativeMsg | None:
    text = data.split(b"\0", 1)[0].decode(ENCODING, "replace")
    if not text:
        return None
    command, *fields = text.split(";")
    return NativeMsg(command, fields)


# ---- IP Messenger packets ---------------------------------------------------------

def ipmsg_packet(packet_no: int | str, user: str, host: str, command: int | str, extra: str = "",
                 group: str | None = None, *, version: str = "1", encoding: str = ENCODING,
                 tail: list[str] | None = None) -> bytes:
    """A packet as IP Messenger writes it; `version` is the first field
    (clients such as iptux write "1_iptux 0.8.3"), `tail` the NUL-ended fields
    after the group (iptux: icon, then its encoding "utf-8")."""
    data = f"{version}:{packet_no}:{user}:{host}:{command}:{extra}".encode(encoding) + b"\0"
    if group is not None:
        data += group.encode(encoding) + b"\0"
        for field_text in tail or []:
            data += field_text.encode(encoding) + b"\0"
    return data


@dataclass
class IpMsg:
    version: str
    packet_no: str
    user: str
    host: str
    command: int | None
    extra: str
    group: str              # the text after the first NUL
    utf8: bool = False      # the command carried IPM_UTF8OPT: the texts were read as UTF-8

    @property
    def mode(self) -> int | None:
        return None if self.command is None else self.command & 0xFF


def parse_ipmsg(data: bytes) -> IpMsg | None:
    """The fields are cut at ":" in the bytes (no character of code page 932
    or UTF-8 holds one), then read as UTF-8 when the command says so, else as
    code page 932."""
    head, _, tail = data.partition(b"\0")
    parts = head.split(b":", 5)
    if len(parts) < 5:
        return None
    parts += [b""] * (6 - len(parts))
    try:
        command = int(parts[4])
    except ValueError:
        command = None
    utf8 = command is not None and bool(command & IPM_UTF8OPT)

    def text(b: bytes) -> str:
        return b.decode("utf-8" if utf8 else ENCODING, "replace")

    group = tail.split(b"\0", 1)[0]
    return IpMsg(text(parts[0]), text(parts[1]), text(parts[2]), text(parts[3]), command, text(parts[5]),
                 text(group), utf8)


# ---- peers -------------------------------------------------------------------------

@dataclass
class Datagram:
    data: bytes
    src: tuple[str, int]
    at: float = field(default_factory=time.monotonic)
    native: NativeMsg | None = None
    ipmsg: IpMsg | None = None

    @property
    def command(self) -> str | int | None:
        if self.native:
            return self.native.command
        if self.ipmsg:
            return self.ipmsg.mode
        return None


class Peer:
    """A UDP socket on a node, bound to 0.0.0.0:port so that it also gets the
    broadcasts, with a receiving thread. Use as a context manager or close()."""

    dialect = "native"

    def __init__(self, node: Node, port: int, *, answer: bool = True):
        self.node = node
        self.port = port
        self.answer = answer
        self.sock = node.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1 << 20)
        self.sock.bind(("0.0.0.0", port))
        self.sock.settimeout(0.2)
        self.received: list[Datagram] = []
        self.sent = 0
        self._cond = threading.Condition()
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._loop, name=f"peer-{node.name}-{port}", daemon=True)
        self._thread.start()

    @property
    def addr(self) -> str:
        return self.node.addr

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self) -> None:
        self._stop.set()
        self._thread.join(5)
        self.sock.close()

    def send(self, data: bytes, to: str = BROADCAST, port: int | None = None) -> None:
        self.sock.sendto(data, (to, port or self.port))
        self.sent += 1

    def _parse(self, d: Datagram) -> None:
        pass

    def on_datagram(self, d: Datagram) -> None:
        pass

    def _loop(self) -> None:
        while not self._stop.is_set():
            try:
                data, src = self.sock.recvfrom(65536)
            except socket.timeout:
                continue
            except OSError:
                return
            d = Datagram(data, src)
            self._parse(d)
            if self.answer:
                try:
                    self.on_datagram(d)
                except OSError:
                    pass
            with self._cond:
                self.received.append(d)
                self._cond.notify_all()

    def from_others(self) -> list[Datagram]:
        """What came from other nodes (not our own broadcasts)."""
        with self._cond:
            return [d for d in self.received if d.src[0] != self.addr]

    def wait_for(self, predicate: Callable[[Datagram], bool], timeout: float = 30, what: str = "a datagram",
                 since: int = 0) -> Datagram:
        """The first datagram from another node, at index `since` or later, that
        satisfies predicate."""
        end = time.monotonic() + timeout
        with self._cond:
            while True:
                for d in self.received[since:]:
                    if d.src[0] != self.addr and predicate(d):
                        return d
                left = end - time.monotonic()
                if left <= 0:
                    seen = [(d.src[0], d.data[:120]) for d in self.received[-10:]]
                    raise BenchError(f"peer {self.node}: {what} did not arrive within {timeout} s; "
                                     f"last received: {seen}")
                self._cond.wait(min(left, 0.5))

    def mark(self) -> int:
        """Index for wait_for(since=...): only what arrives from now on."""
        with self._cond:
            return len(self.received)


class NativePeer(Peer):
    """A copy of the program as the others see it on the native port."""

    def __init__(self, node: Node, name: str, computer: str | None = None, *, section: str = "", sex: int = 0,
                 version: str = VERSION, answer: bool = True, port: int = NATIVE_PORT, broadcast_mode: str = "0"):
        self.name = name
        self.computer = computer or node.computer_name
        self.section = section
        self.sex = sex
        self.version = version
        self.broadcast_mode = broadcast_mode
        super().__init__(node, port, answer=answer)

    @property
    def identity(self) -> str:
        return make_identity(self.name, self.computer, self.section, self.sex, self.version)

    @property
    def entry(self) -> str:
        return Entry(self.name, self.computer, self.addr, str(self.sex), self.version).text

    @property
    def entries(self) -> list[str]:
        return [self.entry]

    def _parse(self, d: Datagram) -> None:
        d.native = parse_native(d.data)

    def enter(self, to: str = BROADCAST, relay: str = "0", addr: str | None = None) -> None:
        self.send(native_broadcast("KL_NETENTRY", self.addr if addr is None else addr, self.identity, relay,
                                   self.broadcast_mode), to)

    def leave(self, to: str = BROADCAST, relay: str = "0") -> None:
        self.send(native_broadcast("KL_EXIT", self.addr, self.identity, relay, self.broadcast_mode), to)

    def answer_to(self, to: str, flag: str = "0") -> None:
        self.send(bcans(self.addr, self.identity, flag), to)

    def on_datagram(self, d: Datagram) -> None:
        m = d.native
        if m is None or m.identity == self.identity:
            return
        if m.command in ("KL_NETENTRY", "KL_NETENTRYSUB") and m.field(2) in ("0", "1"):
            to = m.addr or d.src[0]
            self.answer_to(to, m.field(2))

    def commands(self, command: str) -> list[NativeMsg]:
        return [d.native for d in self.from_others() if d.native and d.native.command == command]


class IpMsgPeer(Peer):
    """An IP Messenger user: entry (1), exit (2), answer to entry (3)."""

    dialect = "ipmsg"
    _numbers = itertools.count(int(time.time()))

    def __init__(self, node: Node, user: str, host: str | None = None, *, nick: str = "", group: str = "",
                 answer: bool = True, port: int = IPMSG_PORT, version: str = "1", encoding: str = ENCODING,
                 options: int = 0, tail: list[str] | None = None):
        """`version`, `encoding`, `options` (added to entries and answers) and
        `tail` (fields after the group) make other clients: iptux is
        version="1_iptux 0.8.3", encoding="utf-8", tail=["", "utf-8"]; IP
        Messenger with UTF-8 is options=IPM_UTF8OPT | IPM_CAPUTF8OPT,
        encoding="utf-8"."""
        self.user = user
        self.host = host or node.computer_name
        self.nick = nick
        self.group = group
        self.version = version
        self.encoding = encoding
        self.options = options
        self.tail = tail
        super().__init__(node, port, answer=answer)

    @property
    def entry(self) -> str:
        """How the program lists this peer."""
        return Entry(self.nick or self.user, self.host, self.addr, IPMSG_SEX, IPMSG_VERSION).text

    @property
    def entries(self) -> list[str]:
        return [self.entry]

    @property
    def section(self) -> str:
        return self.group

    def _parse(self, d: Datagram) -> None:
        d.ipmsg = parse_ipmsg(d.data)

    def packet(self, command: int, extra: str = "", group: str | None = None) -> bytes:
        return ipmsg_packet(next(self._numbers), self.user, self.host, command, extra, group, version=self.version,
                            encoding=self.encoding, tail=self.tail)

    def entry_broadcast(self, to: str = BROADCAST) -> None:
        self.send(self.packet(IPM_ENTRY | self.options, self.nick, self.group), to)

    def exit_broadcast(self, to: str = BROADCAST) -> None:
        self.send(self.packet(IPM_EXIT | (self.options & IPM_UTF8OPT), "", None), to)

    def answer_entry(self, to: str) -> None:
        self.send(self.packet(IPM_ANSENTRY | self.options, self.nick, self.group), to)

    def on_datagram(self, d: Datagram) -> None:
        m = d.ipmsg
        if m is None or d.src[0] == self.addr or m.version != "1":
            return
        if m.mode == IPM_ENTRY:
            self.answer_entry(d.src[0])

    def modes(self, mode: int) -> list[IpMsg]:
        return [d.ipmsg for d in self.from_others() if d.ipmsg and d.ipmsg.mode == mode]


# ---- hostile datagrams ------------------------------------------------------------

# Address fields that are no IPv4 address in dotted form.
BAD_ADDRESSES = ["", "999.1.1.1", "10.77.0", "10.77.0.1.5", "abc", "10.77.0.256", "-1.0.0.0", "1..2.3",
                 "0x0A.0.0.1", "10.77.0.x", "．．．．", "1" * 300]
LONE_BYTES = [b"\x81", b"\x82", b"\x9f", b"\xe0", b"\xfc", b"\x80", b"\xa0", b"\xfd", b"\xfe", b"\xff"]
MARKERS = ["##", "#@#@#", "###", "|@|@|", "（", "）", "/", ":::", "///", "\\\\\\", "\u3000", "\t", "\r", "\n",
           ";", ":", "\x01", "\x7f", "KL_NETENTRY", "1:"]


def _junk_text(rng: random.Random, n: int) -> str:
    pool = "ABCxyz09 _-.,!?" + "あいうアイウ漢字表ソ能ー～①㈱髙" + "".join(MARKERS)
    return "".join(rng.choice(pool) for _ in range(n))


def _bad_bytes(rng: random.Random, n: int) -> bytes:
    """Text with invalid code page 932 sequences spread through it."""
    out = bytearray()
    while len(out) < n:
        r = rng.random()
        if r < 0.3:
            out += rng.choice(LONE_BYTES)
        elif r < 0.4:
            out += rng.choice(LONE_BYTES) + bytes([rng.choice([0x3B, 0x3A, 0x23, 0x2F, 0x20, 0x7F, 0x00])])
        else:
            out += _junk_text(rng, 1).encode(ENCODING, "replace")
    return bytes(out[:n])


def _flood_identity(rng: random.Random) -> bytes:
    """A made-up identity whose computer name, if any, is never that of a
    real node ("FL" and digits)."""
    style = rng.randrange(6)
    if style == 0:
        return b""
    if style == 1:
        return cp932(_junk_text(rng, rng.randrange(1, 40)).replace("（", "(").replace("）", ")"))
    if style == 2:
        return _bad_bytes(rng, rng.randrange(1, 300))
    computer = f"FL{rng.randrange(10 ** 6)}"
    name = _junk_text(rng, rng.randrange(0, 30)).replace("（", "(").replace("）", ")")
    tail = rng.choice(["", "/" + _junk_text(rng, 10), "##" + _junk_text(rng, 3), "#@#@#" + _junk_text(rng, 9),
                       "###", "|@|@|" + _junk_text(rng, 8), "##9#@#@#", "/" * 30])
    if style == 3:
        return cp932(f"{name}（{computer}）{tail}")
    if style == 4:
        return cp932(f"{name}（{computer}）") + _bad_bytes(rng, rng.randrange(1, 40))
    return cp932(f"{name}（{computer}）" + "x" * rng.randrange(200, 4000) + tail)


def _ascii_junk(rng: random.Random, n: int) -> bytes:
    return bytes(rng.randrange(0x20, 0x7F) for _ in range(n))


def _random_bytes(rng: random.Random, lo: int, hi: int) -> bytes:
    while True:
        data = rng.randbytes(rng.randrange(lo, hi + 1))
        if not data.startswith((b"KL_", b"1:")):
            return data


# Each kind: (name, tier, make(rng, flooder address) -> (datagram, port)).
# Tier "junk": datagrams the program must drop without any effect at all.
# Tier "malformed": broken announcements; they may list the flooder itself
# (at its own address), nothing else.
def _junk_kinds() -> list[tuple[str, Callable]]:
    def random_bytes(rng, me):
        return _random_bytes(rng, 1, 1400), rng.choice([NATIVE_PORT, IPMSG_PORT])

    def nul_filled(rng, me):
        return b"\0" * rng.randrange(1, 2049), rng.choice([NATIVE_PORT, IPMSG_PORT])

    def nul_first(rng, me):
        if rng.random() < 0.5:
            return b"\0" + native_broadcast("KL_NETENTRY", me, make_identity("nul", "FLNUL"), "0"), NATIVE_PORT
        return b"\0" + ipmsg_packet(1, "nul", "FLNUL", IPM_ENTRY, "nul", "g"), IPMSG_PORT

    def oversized(rng, me):
        n = rng.choice([2049, 4096, 9000, 32768, 65507, rng.randrange(2049, 65508)])
        return _random_bytes(rng, n, n), rng.choice([NATIVE_PORT, IPMSG_PORT])

    def unknown_command(rng, me):
        word = rng.choice(["KL_", "KL_NETENTR", "KL_NETENTRYX", "KL_NETENTRY ", " KL_NETENTRY", "KL-NETENTRY",
                           "XL_BCANS", "KL_BCANSS", "NETENTRY", "kl_netentry", "KL_EXIT\t",
                           "ＫＬ＿ＮＥＴＥＮＴＲＹ"])
        return cp932(word) + b";" + cp932(me) + b";" + _flood_identity(rng) + b";0;0;0", NATIVE_PORT

    def bad_cp932_command(rng, me):
        word = rng.choice([b"KL_NET\xffNTRY", b"\x81KL_NETENTRY", b"KL_\x82CANS", b"\xfd\xfe\xff",
                           b"KL_EXI\x80", b"\x82"])
        return word + b";" + cp932(me) + b";" + _flood_identity(rng) + b";0;0;0", NATIVE_PORT

    def field_less(rng, me):
        return rng.choice([b"", b";", b";;;;;;;;", b" ", b"\r\n", b"\t", b";" * 3000, b":" * 100]), \
            rng.choice([NATIVE_PORT, IPMSG_PORT])

    def truncated_note(rng, me):
        fields = ["KL_SEND", me, make_identity("fl", "FLSEND"), "2024/01/01", "12:00:00", "1", "0", "0", "0",
                  "0", "0", "100", "100", "9", "9", "0", "0", "0", "0", "ＭＳ", "ＭＳ", "0", "1899/12/30"]
        return cp932(";".join(fields[:rng.randrange(1, len(fields) - 1)])), NATIVE_PORT

    def ipmsg_not_version_1(rng, me):
        first = rng.choice(["2", "0", "", "01", "1 ", "one", "１", "1\t"])
        return cp932(f"{first}:1:fl:FLIPM:1:fl") + b"\0g\0", IPMSG_PORT

    def ipmsg_bad_command(rng, me):
        command = rng.choice(["entry", "", "-1", "99999999999", "0x1", "1.0", "+1x", "4", "0", "96", "114",
                              "1025abc", str(rng.choice([4, 5, 6, 0x60, 0x61, 0x72, 0x90, 0xFF]) | 0x100)])
        return cp932(f"1:{rng.randrange(1 << 32)}:fl:FLIPM:{command}:fl") + b"\0g\0", IPMSG_PORT

    return [(f.__name__.replace("_", "-"), f) for f in
            (random_bytes, nul_filled, nul_first, oversized, unknown_command, bad_cp932_command, field_less,
             truncated_note, ipmsg_not_version_1, ipmsg_bad_command)]


def _malformed_kinds() -> list[tuple[str, Callable]]:
    def truncated_announcement(rng, me):
        command = rng.choice(["KL_NETENTRY", "KL_NETENTRYSUB", "KL_BCANS", "KL_EXIT", "KL_EXITSUB"])
        full = [cp932(command), cp932(rng.choice(BAD_ADDRESSES)), _flood_identity(rng), b"0", b"0", b"0"]
        return b";".join(full[:rng.randrange(1, len(full))]) + rng.choice([b"", b";"]), NATIVE_PORT

    def long_fields(rng, me):
        command = rng.choice(["KL_NETENTRY", "KL_BCANS", "KL_NETENTRYSUB"])
        ident = cp932(_junk_text(rng, rng.randrange(200, 30000)))
        addr = cp932(rng.choice(BAD_ADDRESSES) + "9" * rng.randrange(0, 20000))
        relay = rng.choice([b"0", b"0" * 5000, b"x" * 100])
        return b";".join([cp932(command), addr, ident, relay, b"0", b"0"]), NATIVE_PORT

    def non_numeric_fields(rng, me):
        if rng.random() < 0.5:
            return b";".join([b"KL_NETENTRY", cp932(rng.choice(BAD_ADDRESSES)), _flood_identity(rng),
                              cp932(rng.choice(["x", "", "00", "-0", "0x0", "2", "０"])),
                              cp932(rng.choice(["y", "", "-5", "99999999999"])), b"z"]), NATIVE_PORT
        date = rng.choice(["", "x", "2024/13/45", "9999/99/99", "0/0/0", "２０２４/１/１", "2024-01-01"])
        clock = rng.choice(["", "y", "25:61:61", "-1:00:00", "12:00", "１２:００:００"])
        return b";".join([b"KL_BCANS", cp932(rng.choice(BAD_ADDRESSES)), _flood_identity(rng), b"0",
                          cp932(date), cp932(clock)]), NATIVE_PORT

    def bad_cp932_fields(rng, me):
        command = rng.choice([b"KL_NETENTRY", b"KL_BCANS", b"KL_EXIT", b"KL_NETENTRYSUB"])
        return b";".join([command, _bad_bytes(rng, rng.randrange(0, 20)), _bad_bytes(rng, rng.randrange(1, 200)),
                          b"0", b"0", b"0"]), NATIVE_PORT

    def nul_inside(rng, me):
        ident = _flood_identity(rng)
        cut = rng.randrange(0, len(ident) + 1)
        data = b";".join([b"KL_NETENTRY", cp932(rng.choice(BAD_ADDRESSES)), ident[:cut] + b"\0" + ident[cut:],
                          b"0", b"0", b"0"])
        return data + b"\0" * rng.randrange(0, 3000), NATIVE_PORT

    def marker_identity(rng, me):
        ident = "".join(rng.choice(MARKERS + ["FL1", "x", "（FL2）"]) for _ in range(rng.randrange(1, 60)))
        command = rng.choice(["KL_NETENTRY", "KL_BCANS", "KL_EXIT", "KL_EXITSUB"])
        return b";".join([cp932(command), b"", cp932(ident.replace(";", "；")), b"0", b"0", b"0"]), NATIVE_PORT

    def ipmsg_fields(rng, me):
        mode = rng.choice([IPM_ENTRY, IPM_ANSENTRY, IPM_EXIT, IPM_ENTRY | 0x100, IPM_ENTRY | 0x200000])
        def part(n):
            return rng.choice([cp932(_junk_text(rng, n)), _bad_bytes(rng, n), b"", b":" * n])
        user, host, nick, group = part(rng.randrange(1, 40)), part(rng.randrange(0, 40)), part(5), part(30)
        if rng.random() < 0.2:
            nick = cp932(_junk_text(rng, rng.randrange(300, 1900)))
        head = b"1:" + str(rng.randrange(1 << 32)).encode() + b":" + user + b":FL" + host + b":" + \
            str(mode).encode() + b":" + nick
        return (head + b"\0" + group + b"\0")[:2048], IPMSG_PORT

    def ipmsg_truncated(rng, me):
        text = rng.choice(["1:", "1:1", "1:1:fl", "1:1:fl:FLIPM", "1:1:fl:FLIPM:1", "1:1:fl:FLIPM:2",
                           "1:1::::", "1:1:fl:FLIPM:3:"])
        return cp932(text) + rng.choice([b"", b"\0", b"\0\0\0", b"\0grp"]), IPMSG_PORT

    return [(f.__name__.replace("_", "-"), f) for f in
            (truncated_announcement, long_fields, non_numeric_fields, bad_cp932_fields, nul_inside,
             marker_identity, ipmsg_fields, ipmsg_truncated)]


def _near_miss_kinds() -> list[tuple[str, Callable]]:
    """Announcements that are each out of form in one point only (the name,
    the computer name, the sex, the version, an associated file, a byte that
    is no code page 932 or UTF-8), from the flooder's own address: the
    program must take none of them."""

    def good_parts(rng) -> dict:
        n = rng.randrange(10 ** 6)
        return {"name": rng.choice(["洪水", "flood", "山田　太郎"]) + str(n), "computer": f"FLPC{n}",
                "section": rng.choice(["", "/営業", "/"]), "sex": str(rng.randrange(8)),
                "version": rng.choice(["2.001", "1.00", "2"])}

    def identity_bytes(p: dict) -> bytes:
        raw = p.get("raw_name", cp932(p["name"]))
        return raw + cp932(f"（{p['computer']}）{p['section']}##{p['sex']}#@#@#{p['version']}{p.get('tail', '')}")

    defects = [
        ("name", ""), ("name", "  "), ("name", "　"), ("name", "ab"), ("name", "a	b"), ("name", "a（b"),
        ("name", "a）b"), ("name", "x" * 200),
        ("computer", ""), ("computer", "A（B"), ("computer", "A）B"), ("computer", "AB"),
        ("sex", ""), ("sex", "x"), ("sex", "12"), ("sex", "８"), ("sex", "#"),
        ("version", ""), ("version", "_____"), ("version", "2.0019"), ("version", ".001"), ("version", "2.00a"),
        ("version", "２.001"), ("version", "2.0 1"),
        ("tail", "|@|@|memo.txt"), ("section", "x##0"), ("section", "/ab"),
    ]

    def native_identity(rng, me):
        p = good_parts(rng)
        key, value = rng.choice(defects + [("raw_name", None)] * 4)
        if key == "raw_name":
            # A byte sequence that is no character: a lone lead byte, an
            # unassigned pair, or bytes code page 932 has not.
            p["raw_name"] = cp932(p["name"]) + rng.choice([b"\x82", b"\x85\x40", b"\xa0", b"\xfd", b"\xff", b"\x80"])
        else:
            p[key] = value
        command = rng.choice(["KL_NETENTRY", "KL_NETENTRYSUB", "KL_BCANS"])
        addr = cp932(rng.choice([me, ""]))
        if command == "KL_BCANS":
            date, clock = packet_date()
            return b";".join([b"KL_BCANS", addr, identity_bytes(p), b"0", cp932(date), cp932(clock)]), NATIVE_PORT
        return b";".join([cp932(command), addr, identity_bytes(p), b"0", b"0", b"0"]), NATIVE_PORT

    def native_bad_byte_elsewhere(rng, me):
        """A well-formed identity in a datagram that is not code page 932."""
        p = good_parts(rng)
        bad = rng.choice([b"\x82", b"\xa0", b"\xff", b"\x85\x40"])
        fields = [b"KL_NETENTRY", cp932(me), identity_bytes(p), b"0", b"0", b"0"]
        at = rng.choice([1, 3, 4, 5])
        fields[at] = fields[at] + bad
        return b";".join(fields), NATIVE_PORT

    def ipmsg_entry(rng, me):
        n = rng.randrange(10 ** 6)
        user, host, nick, group = f"fl{n}", f"FLIPM{n}", "洪水", "営業"
        version, encoding, command, extra_bytes = "1", "cp932", rng.choice([IPM_ENTRY, IPM_ANSENTRY]), None
        defect = rng.randrange(10)
        if defect == 0:
            user, nick = "", ""
        elif defect == 1:
            host = ""
        elif defect == 2:
            nick = "a\x01b"
        elif defect == 3:
            group = "g\x1fh"
        elif defect == 4:
            version = rng.choice(["1x", "10", "", "2", "01"])
        elif defect == 5:
            nick = "n" * 200
        elif defect == 6:
            extra_bytes = rng.choice([b"\x82", b"\x85\x40", b"\xff"])        # not code page 932
        elif defect == 7:
            command |= IPM_UTF8OPT
            encoding = "utf-8"
            extra_bytes = rng.choice([b"\xe3\x81", b"\xc0\xaf", b"\xed\xa0\x80", b"\x82"])   # not UTF-8
        elif defect == 8:
            user = "u\x7fv"
        head = f"{version}:{rng.randrange(1 << 31)}:{user}:{host}:{command}:".encode(encoding)
        head += extra_bytes if extra_bytes is not None else nick.encode(encoding)
        group_bytes = rng.choice([b"\x82", b"\xff", b"\xa0"]) if defect == 9 else group.encode(encoding)
        return head + b"\0" + group_bytes + b"\0", IPMSG_PORT

    return [(f.__name__.replace("_", "-"), f) for f in
            (native_identity, native_bad_byte_elsewhere, ipmsg_entry)]


FLOOD_KINDS: dict[str, list[tuple[str, Callable]]] = {"junk": _junk_kinds(), "malformed": _malformed_kinds(),
                                                      "near-miss": _near_miss_kinds()}


class Flooder:
    """Hostile datagrams from one node, from an unbound socket (the program's
    answers to them go to the node's ports, where nobody listens)."""

    def __init__(self, node: Node, seed: int = 1):
        self.node = node
        self.rng = random.Random(seed)
        self.sock = node.socket()
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 1 << 20)
        self.sent: dict[str, int] = {}        # per kind
        self.sent_to: dict[int, int] = {}     # per port
        self.errors = 0

    def close(self) -> None:
        self.sock.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def datagrams(self, tier: str, count: int) -> Iterator[tuple[str, bytes, int]]:
        kinds = FLOOD_KINDS[tier]
        for i in range(count):
            name, make = kinds[i % len(kinds)]
            data, port = make(self.rng, self.node.addr)
            yield name, data, port

    def send(self, target: str, data: bytes, port: int, kind: str = "") -> None:
        try:
            self.sock.sendto(data, (target, port))
        except OSError:
            self.errors += 1
            return
        self.sent[kind] = self.sent.get(kind, 0) + 1
        self.sent_to[port] = self.sent_to.get(port, 0) + 1
