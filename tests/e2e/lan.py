"""A virtual LAN on this machine for the network tests: network namespaces
joined by a bridge, one namespace per copy of the program and per scripted
peer, private addresses 10.77.0.0/24. Nothing is routed anywhere else: the
bridge lives in a namespace of its own with no uplink, and each node has
only its LAN address and a route for the limited broadcast address, so a
datagram to any other address fails at once.

    with Lan() as lan:
        a = lan.add_node("a", hostname="kl-pc-a")       # 10.77.0.11, computer name KL-PC-A
        h = lan.make_host(host, a, my_name="山田", section="営業")   # host: the fixture; a NetHost
        h.start_ready()
        peer = NativePeer(lan.add_node("p"), "佐藤")     # peers.py; 10.77.0.12
        peer.enter()
        h.wait_lists(lambda l: peer.entry in l.all, what="peer listed")

Computer names. Wine 8 takes the computer name once per session of the
prefix's wineserver: the first Wine process of the session starts
`wineboot --init`, which writes the host name (gethostname() in its UTS
namespace) into HKLM\\System\\CurrentControlSet\\Control\\ComputerName\\
ComputerName and ...\\ActiveComputerName, upper-cased and cut to 15
characters (kl-lower -> KL-LOWER); GetComputerNameW reads the latter. Values
written into the registry beforehand are overwritten, and the wineserver's
own host name does not matter (gethostname() inside the program does return
its process's host name as it is). So every node gets a UTS
namespace of its own with its host name (kept open through a bind mount),
and all Wine processes of a host - wineserver, the program, kltool - run in
that node's network and UTS namespaces through `nsenter` (Node.wrapper(),
KelupHost(wrapper=...)). The network namespace matters most for the
wineserver: it creates the sockets of every process of the prefix.

Names: namespaces are called kln<pid>-lan (the bridge) and kln<pid>-<node>,
where <pid> is the owning Python process; namespaces of a process that is
gone are removed by the next Lan() (stale_cleanup()). Needs root.
"""

from __future__ import annotations

import ctypes
import os
import re
import shutil
import signal
import socket
import subprocess
from collections.abc import Callable, Iterable
from dataclasses import dataclass, field
from pathlib import Path

from kelup_bench import BenchError, KelupHost, Q, wait_until

SUBNET = "10.77.0"
PREFIX_LEN = 24
NETNS_DIR = Path("/run/netns")
RUN_DIR = Path("/run/kelup-lan")
NS_PREFIX = "kln"
FIRST_HOST = 11

IP = shutil.which("ip") or "/usr/sbin/ip"
NSENTER = shutil.which("nsenter") or "/usr/bin/nsenter"
UNSHARE = shutil.which("unshare") or "/usr/bin/unshare"

CLONE_NEWNET = 0x40000000
_libc = ctypes.CDLL(None, use_errno=True)


class LanUnavailable(BenchError):
    """Namespaces cannot be made here (not root, no iproute2, or refused)."""


def _run(*args: str, check: bool = True, timeout: float = 30) -> subprocess.CompletedProcess:
    r = subprocess.run(list(args), capture_output=True, text=True, timeout=timeout)
    if check and r.returncode != 0:
        raise BenchError(f"{' '.join(args)} -> exit {r.returncode}: {r.stderr.strip()}")
    return r


def _ip(*args: str, check: bool = True) -> subprocess.CompletedProcess:
    return _run(IP, *args, check=check)


def _start_time(pid: int) -> str | None:
    """The start time of a live process (None when it is gone or a zombie),
    so that a recycled process id is not taken for the owner."""
    try:
        fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    except OSError:
        return None
    return None if fields[0] in ("Z", "X") else fields[19]


def _owner_alive(owner: int) -> bool:
    started = _start_time(owner)
    if started is None:
        return False
    recorded = RUN_DIR / str(owner) / "owner"
    try:
        return recorded.read_text().strip() == started
    except OSError:
        return True   # being set up right now


def _netns_names() -> list[str]:
    r = _ip("netns", "list", check=False)
    return [line.split()[0] for line in r.stdout.splitlines() if line.strip()]


def _kill_pids_in(ns: str) -> None:
    """Ends the processes left in one of our namespaces (the bench started
    them: Wine servers and programs of a test), by their ids."""
    r = _ip("netns", "pids", ns, check=False)
    pids = [int(p) for p in r.stdout.split() if p.isdigit() and int(p) != os.getpid()]
    for pid in pids:
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def _remove_run_dir(owner: int) -> None:
    folder = RUN_DIR / str(owner)
    if not folder.is_dir():
        return
    for f in folder.iterdir():
        if f.name.startswith("uts-"):
            subprocess.run(["umount", "-l", str(f)], capture_output=True)
        f.unlink(missing_ok=True)
    folder.rmdir()


def stale_cleanup() -> list[str]:
    """Removes the namespaces (and UTS files) of LANs whose owner process has
    ended, e.g. after a crash or a killed test run. Returns their names."""
    removed = []
    owners = set()
    for ns in _netns_names():
        m = re.fullmatch(rf"{NS_PREFIX}(\d+)-.+", ns)
        if not m:
            continue
        owner = int(m.group(1))
        if owner == os.getpid() or _owner_alive(owner):
            continue
        _kill_pids_in(ns)
        _ip("netns", "del", ns, check=False)
        removed.append(ns)
        owners.add(owner)
    if RUN_DIR.is_dir():
        for folder in RUN_DIR.iterdir():
            owner = int(folder.name) if folder.name.isdigit() else os.getpid()
            if owner != os.getpid() and not _owner_alive(owner):
                owners.add(owner)
    for owner in owners:
        _remove_run_dir(owner)
    return removed


def unavailable_reason() -> str | None:
    """Why a LAN cannot be built here, or None when it can."""
    if os.geteuid() != 0:
        return "the LAN tests need root (network namespaces)"
    for tool in (IP, NSENTER, UNSHARE):
        if not Path(tool).exists():
            return f"{tool} is missing (iproute2 / util-linux)"
    probe = f"{NS_PREFIX}{os.getpid()}-probe"
    r = _ip("netns", "add", probe, check=False)
    if r.returncode != 0:
        return f"network namespaces cannot be created here: {r.stderr.strip()}"
    try:
        r = _ip("-n", probe, "link", "add", "br0", "type", "bridge", check=False)
        if r.returncode != 0:
            return f"bridges cannot be created here: {r.stderr.strip()}"
        r = _ip("-n", probe, "link", "add", "v0", "type", "veth", "peer", "name", "v1", check=False)
        if r.returncode != 0:
            return f"veth pairs cannot be created here: {r.stderr.strip()}"
    finally:
        _ip("netns", "del", probe, check=False)
    return None


class _InNetns:
    """Switches the calling thread into a network namespace and back."""

    def __init__(self, path: Path):
        self.path = path

    def __enter__(self):
        self.home = os.open("/proc/thread-self/ns/net", os.O_RDONLY)
        target = os.open(self.path, os.O_RDONLY)
        try:
            if _libc.setns(target, CLONE_NEWNET) != 0:
                err = ctypes.get_errno()
                raise OSError(err, f"setns {self.path}: {os.strerror(err)}")
        except BaseException:
            os.close(self.home)
            raise
        finally:
            os.close(target)
        return self

    def __exit__(self, *exc):
        try:
            if _libc.setns(self.home, CLONE_NEWNET) != 0:
                err = ctypes.get_errno()
                raise OSError(err, f"setns back: {os.strerror(err)}")
        finally:
            os.close(self.home)


@dataclass
class Node:
    """One machine on the LAN: a network namespace with one address and a
    UTS namespace with its own host name."""

    lan: "Lan"
    name: str
    netns: str
    addr: str
    hostname: str
    uts: Path

    @property
    def netns_path(self) -> Path:
        return NETNS_DIR / self.netns

    @property
    def computer_name(self) -> str:
        """What GetComputerNameW returns to Wine programs run here."""
        return self.hostname.upper()[:15]

    def wrapper(self) -> list[str]:
        """Command prefix that runs a command inside this node."""
        return [NSENTER, f"--net={self.netns_path}", f"--uts={self.uts}", "--"]

    def run(self, *args: str, timeout: float = 30, check: bool = True) -> subprocess.CompletedProcess:
        return _run(*self.wrapper(), *args, timeout=timeout, check=check)

    def socket(self, family: int = socket.AF_INET, type: int = socket.SOCK_DGRAM) -> socket.socket:
        """A socket of this node's network namespace (it stays there after
        the calling thread switched back)."""
        with _InNetns(self.netns_path):
            return socket.socket(family, type)

    def add_address(self, addr: str) -> None:
        _ip("-n", self.netns, "addr", "add", f"{addr}/{PREFIX_LEN}", "dev", "eth0")

    def __str__(self) -> str:
        return f"{self.name} ({self.addr}, {self.hostname})"


class Lan:
    """A bridge in a namespace of its own and nodes plugged into it. Use as a
    context manager: close() ends what still runs in the nodes and removes
    every namespace, link and UTS file, also after a failure."""

    def __init__(self) -> None:
        reason = unavailable_reason()
        if reason:
            raise LanUnavailable(reason)
        stale_cleanup()
        self.owner = os.getpid()
        self.tag = f"{NS_PREFIX}{self.owner}"
        self.nodes: dict[str, Node] = {}
        self._next = FIRST_HOST
        self.run_dir = RUN_DIR / str(self.owner)
        self.run_dir.mkdir(parents=True, exist_ok=True)
        # Written whole or not at all: another run's stale_cleanup() must
        # never read it half-written and take this LAN for a dead one.
        partial = self.run_dir / "owner.part"
        partial.write_text(_start_time(self.owner) or "")
        partial.replace(self.run_dir / "owner")
        self.bridge_ns = f"{self.tag}-lan"
        # A LAN of an earlier Lan() of this process that was not closed.
        for ns in _netns_names():
            if ns.startswith(self.tag + "-"):
                _kill_pids_in(ns)
                _ip("netns", "del", ns, check=False)
        try:
            _ip("netns", "add", self.bridge_ns)
            _ip("-n", self.bridge_ns, "link", "set", "lo", "up")
            _ip("-n", self.bridge_ns, "link", "add", "br0", "type", "bridge")
            _ip("-n", self.bridge_ns, "link", "set", "br0", "up")
        except BaseException:
            self.close()
            raise

    def __enter__(self) -> "Lan":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def add_node(self, name: str, hostname: str | None = None, addr: str | None = None) -> Node:
        """A new machine on the LAN. `hostname` is what the Wine processes run
        in it see as the computer name (default: KL-<NAME>)."""
        if not re.fullmatch(r"[a-z0-9]{1,8}", name):
            raise ValueError(f"node name {name!r}: 1 to 8 lower-case letters or digits")
        if name in self.nodes:
            raise ValueError(f"node {name!r} exists")
        if addr is None:
            addr = f"{SUBNET}.{self._next}"
            self._next += 1
        hostname = hostname or f"KL-{name.upper()}"
        netns = f"{self.tag}-{name}"
        veth = f"v-{name}"
        _ip("netns", "add", netns)
        try:
            _ip("-n", netns, "link", "set", "lo", "up")
            # Both ends are made inside the namespaces: nothing of the LAN
            # ever shows up in the machine's own namespace.
            _ip("-n", self.bridge_ns, "link", "add", veth, "type", "veth", "peer", "name", "eth0", "netns", netns)
            _ip("-n", self.bridge_ns, "link", "set", veth, "master", "br0")
            _ip("-n", self.bridge_ns, "link", "set", veth, "up")
            _ip("-n", netns, "addr", "add", f"{addr}/{PREFIX_LEN}", "dev", "eth0")
            _ip("-n", netns, "link", "set", "eth0", "up")
            # The limited broadcast address needs a route; there is no default route.
            _ip("-n", netns, "route", "add", "255.255.255.255/32", "dev", "eth0")
            uts = self.run_dir / f"uts-{name}"
            uts.touch()
            _run(UNSHARE, f"--uts={uts}", "hostname", hostname)
        except BaseException:
            _ip("netns", "del", netns, check=False)
            raise
        node = Node(self, name, netns, addr, hostname, uts)
        self.nodes[name] = node
        return node

    def close(self) -> None:
        for ns in [*(n.netns for n in self.nodes.values()), self.bridge_ns]:
            if ns in _netns_names():
                _kill_pids_in(ns)
                _ip("netns", "del", ns, check=False)
        self.nodes.clear()
        _remove_run_dir(self.owner)

    def make_host(self, factory: Callable[..., KelupHost], node: Node, **settings) -> "NetHost":
        """A copy of the program on `node`: `factory` makes the KelupHost (the
        `host` fixture or KelupHost itself), settings go to NetHost."""
        kh = factory(name=node.name, wrapper=node.wrapper())
        return NetHost(kh, node, **settings)


# ---- send list entries --------------------------------------------------------

ENTRY_SPACING = "\u3000" * 12
_ENTRY_RE = re.compile(r"^(?P<display>.*?)\u3000{12}:::(?P<addr>[^/]*)///(?P<sex>.*?)\\\\\\(?P<version>.*)$", re.S)


def display_name(name: str, computer: str) -> str:
    return f"{name}（{computer}）"


@dataclass(frozen=True)
class Entry:
    """One send list entry: 'name（computer）', twelve U+3000, ':::', address,
    '///', sex digit, three backslashes, version."""

    name: str
    computer: str
    addr: str
    sex: str = "0"
    version: str = "2.001"

    @property
    def display(self) -> str:
        return display_name(self.name, self.computer)

    @property
    def text(self) -> str:
        return f"{self.display}{ENTRY_SPACING}:::{self.addr}///{self.sex}\\\\\\{self.version}"

    @classmethod
    def parse(cls, text: str) -> "Entry | None":
        m = _ENTRY_RE.match(text)
        if not m:
            return None
        display = m["display"]
        name, sep, rest = display.partition("（")
        computer = rest.split("）", 1)[0] if sep else ""
        return cls(name, computer, m["addr"], m["sex"], m["version"])

    def __str__(self) -> str:
        return self.text


@dataclass
class Lists:
    """The send lists as the program dumped them."""

    lines: list[tuple[int, str, str]]                 # (index, caption, entry text)
    by_index: dict[int, list[str]] = field(default_factory=dict)
    captions: dict[int, str] = field(default_factory=dict)

    ALL, ABSENT, FRIENDS = 0, 1, 2
    CAPTIONS = {0: "全ての送信可能者", 1: "!!不在者", 2: "!!おともだち"}

    @classmethod
    def from_dump(cls, text: str) -> "Lists":
        lines = []
        for raw in text.split("\n"):
            if raw == "":
                continue
            index, caption, entry = raw.split("\t", 2)
            lines.append((int(index), caption, entry))
        lists = cls(lines)
        for index, caption, entry in lines:
            lists.by_index.setdefault(index, []).append(entry)
            lists.captions[index] = caption
        return lists

    def texts(self, index: int) -> list[str]:
        return self.by_index.get(index, [])

    @property
    def all(self) -> list[str]:
        return self.texts(self.ALL)

    @property
    def absent(self) -> list[str]:
        return self.texts(self.ABSENT)

    @property
    def friends(self) -> list[str]:
        return self.texts(self.FRIENDS)

    def sections(self) -> dict[str, list[str]]:
        """Section name -> entries, for lists 3 and up that have entries."""
        return {self.captions[i]: e for i, e in self.by_index.items() if i >= 3}

    def section(self, name: str) -> list[str]:
        return self.sections().get(name, [])

    def everything(self) -> list[str]:
        return [entry for _, _, entry in self.lines]

    def __str__(self) -> str:
        if not self.lines:
            return "(all lists empty)"
        return "\n".join(f"  {i} {c}: {e!r}" for i, c, e in self.lines)


# ---- a copy of the program on the LAN ---------------------------------------

DUMP_LISTS = 0x8101  # WM_APP + 0x101 to the main window


class NetHost:
    """A KelupHost on a LAN node, seeded to use the network. Attributes not
    found here are the KelupHost's."""

    def __init__(self, kh: KelupHost, node: Node, *, my_name: str = "", section: str = "", sex: int = 0,
                 ipmsg: bool = False, options: dict | None = None):
        self.kh = kh
        self.node = node
        self.my_name = my_name
        self.section = section
        self.sex = sex
        self.ipmsg = ipmsg
        self.options = dict(options or {})
        self.seed()

    def __getattr__(self, name):
        return getattr(self.kh, name)

    @property
    def computer(self) -> str:
        return self.node.computer_name

    @property
    def addr(self) -> str:
        return self.node.addr

    @property
    def identity(self) -> str:
        """The identity string the program announces itself with."""
        text = f"{self.my_name or self.computer}（{self.computer}）"
        if self.section:
            text += "/" + self.section
        return f"{text}##{self.sex}#@#@#2.001"

    @property
    def entry(self) -> str:
        return Entry(self.my_name or self.computer, self.computer, self.addr, str(self.sex), "2.001").text

    @property
    def ipmsg_entry(self) -> str:
        """How this copy is listed from its own IP Messenger entry broadcast:
        under its display name (MyName, else the login user), sex 8."""
        return Entry(self.my_name or self.kh.user, self.computer, self.addr, "8", "1.00").text

    @property
    def entries(self) -> list[str]:
        """Every entry under which this copy is listed by copies that hear it
        (those with the IP Messenger dialect on hear it twice)."""
        return [self.entry, self.ipmsg_entry] if self.ipmsg else [self.entry]

    def seed(self) -> None:
        self.kh.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "0"}})
        option = {"MyName": self.my_name, "MySection": self.section, "Sex": str(self.sex),
                  "APPLYIPMES": "1" if self.ipmsg else "0"}
        option.update({k: str(v) for k, v in self.options.items()})
        self.kh.seed_kelup_ini({"Option": option})

    def start_ready(self, timeout: float = 90) -> "NetHost":
        self.kh.start()
        self.kh.wait_ready(timeout)
        if self.kh.query(Q.Ready) != 1:
            raise BenchError(f"{self.node}: not ready")
        if self.kh.query(Q.NetworkOff) != 0:
            raise BenchError(f"{self.node}: the program runs with the network off")
        return self

    def stop(self, timeout: float = 60) -> int:
        """Ends the program as its exit command does and waits for it."""
        self.kh.close()
        return self.kh.wait_exit(timeout)

    def lists(self) -> Lists:
        """Asks the program for its send lists (it writes lists.dump)."""
        count = self.kh.send(DUMP_LISTS)
        path = self.kh.win_to_linux(self.kh.data_dir() + "lists.dump")
        text = path.read_bytes().decode("utf-8")
        lists = Lists.from_dump(text)
        if count is not None and count != len(lists.lines):
            raise BenchError(f"{self.node}: the dump message returned {count} but lists.dump has "
                             f"{len(lists.lines)} lines:\n{lists}")
        return lists

    def wait_lists(self, predicate: Callable[[Lists], bool], timeout: float = 30,
                   what: str = "lists") -> Lists:
        """Polls the lists until predicate(lists) holds; returns them. On time-out
        the error shows the last lists seen."""
        last: list[Lists] = []

        def check():
            lists = self.lists()
            last[:] = [lists]
            return predicate(lists)

        try:
            wait_until(check, timeout, interval=0.3, what=what)
        except BenchError as e:
            shown = last[0] if last else "(no dump)"
            raise BenchError(f"{self.node}: {e}; last lists:\n{shown}") from None
        return last[0]

    def __str__(self) -> str:
        return str(self.node)


def lists_equal(*expected: Iterable[str]) -> Callable[[Lists], bool]:
    """A predicate: lists 0, 1, ... hold exactly these entries (as sets)."""
    want = [sorted(e) for e in expected]
    return lambda l: [sorted(l.texts(i)) for i in range(len(want))] == want


def wait_all(hosts: Iterable[NetHost], predicate: Callable[[NetHost, Lists], bool], timeout: float = 30,
             what: str = "lists") -> dict[str, Lists]:
    """wait_lists on several hosts, each with predicate(host, lists)."""
    result = {}
    for h in hosts:
        result[h.node.name] = h.wait_lists(lambda l, h=h: predicate(h, l), timeout, f"{what} on {h.node.name}")
    return result

