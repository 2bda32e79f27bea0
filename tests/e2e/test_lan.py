"""Kelupon on a LAN, end to end: copies of the program, each in a network
namespace and Wine prefix of its own with its own computer name, find each
other through their entry broadcasts and answers, list each other under their
sections, move to the absentees when they leave and come back; IP Messenger
users are listed with sex "8" and version "1.00" when that dialect is on and
ignored when it is off; a flood of hostile datagrams changes nothing.

The LAN (lan.py) is a bridge in a namespace of its own with 10.77.0.0/24 on
it and no route anywhere else. Needs root; skips otherwise."""

from __future__ import annotations

import ipaddress
import re
import time

import pytest

from kelup_bench import BenchError, Q, wait_until
from lan import Entry, Lan, Lists, NetHost, unavailable_reason
from peers import (IPM_ANSENTRY, IPM_CAPUTF8OPT, IPM_ENTRY, IPM_UTF8OPT, IPMSG_PORT, NATIVE_PORT, Flooder, IpMsgPeer,
                   NativePeer, cp932)

NATIVE_RECEIVED, IPM_RECEIVED = 16, 17   # query ids: datagrams taken in on each socket
DATE_RE = re.compile(r"^\d{4}/\d{1,2}/\d{1,2}$")
TIME_RE = re.compile(r"^\d{1,2}:\d{2}:\d{2}$")
FLOOD_COUNT = 10_000
FLOOD_BURST = 40            # hostile datagrams between two probes


_reason: list[str | None] = []


def lan_reason() -> str | None:
    if not _reason:
        _reason.append(unavailable_reason())
    return _reason[0]


class Net:
    """The LAN of one test: copies of the program and scripted peers on it."""

    def __init__(self, lan: Lan, host_factory):
        self.lan = lan
        self.host_factory = host_factory
        self.peers: list = []

    def host(self, name: str, hostname: str | None = None, **settings) -> NetHost:
        node = self.lan.add_node(name, hostname)
        return self.lan.make_host(self.host_factory, node, **settings)

    def node(self, name: str):
        return self.lan.nodes.get(name) or self.lan.add_node(name)

    def native_peer(self, node: str, name: str, **kw) -> NativePeer:
        p = NativePeer(self.node(node), name, **kw)
        self.peers.append(p)
        return p

    def ipmsg_peer(self, node: str, user: str, **kw) -> IpMsgPeer:
        p = IpMsgPeer(self.node(node), user, **kw)
        self.peers.append(p)
        return p

    def flooder(self, node: str, seed: int) -> Flooder:
        f = Flooder(self.node(node), seed)
        self.peers.append(f)
        return f

    def close(self) -> None:
        for p in self.peers:
            p.close()


@pytest.fixture
def net(request, host):
    reason = lan_reason()
    if reason:
        pytest.skip(f"no virtual LAN: {reason}")
    with Lan() as lan:
        n = Net(lan, host)
        try:
            yield n
        finally:
            n.close()
            # The hosts' Wine processes end before their namespaces go.
            for kh in getattr(request.node, "_kelup_hosts", []):
                kh.cleanup()


def start_all(*hosts: NetHost) -> None:
    """Starts the copies one right after the other, then waits for each."""
    for h in hosts:
        h.kh.start()
    for h in hosts:
        h.kh.wait_ready(90)
        assert h.query(Q.NetworkOff) == 0


def entries(*listed) -> list[str]:
    """Every entry of copies and peers, sorted."""
    return sorted(e for x in listed for e in x.entries)


def everyone_listed(*listed, sections: bool = True):
    """Predicate: list 0 holds exactly the entries of `listed` (copies and
    peers), lists 1 and 2 are empty and, with `sections`, each section list
    holds exactly the listed ones of that section."""
    want_sections: dict[str, list[str]] = {}
    for x in listed:
        if x.section:
            want_sections.setdefault(x.section, []).extend(x.entries)

    def check(lists: Lists) -> bool:
        if sorted(lists.all) != entries(*listed) or lists.absent or lists.friends:
            return False
        return not sections or {k: sorted(v) for k, v in lists.sections().items()} == \
            {k: sorted(v) for k, v in want_sections.items()}
    return check


def dde_make_note(h: NetHost, text: str) -> None:
    r = h.kl("dde", "--exec", f"DDEMAKEKELUP\\r\\n1;120;120;\\r\\n{text}", "--timeout", 60000, timeout=90)
    assert r == {"connected": True, "ack": True}, r


# ---- the bench itself ------------------------------------------------------------


def test_lan_carries_broadcasts_between_nodes_and_leads_nowhere_else(net):
    a = net.native_peer("a", "一")
    b = net.native_peer("b", "二")
    c = net.native_peer("c", "三")
    a.enter()
    for p in (b, c):
        got = p.wait_for(lambda d: d.native and d.native.command == "KL_NETENTRY", what="a's broadcast")
        assert (got.src[0], got.native.identity) == (a.addr, a.identity)
    answers = {a.wait_for(lambda d, p=p: d.src[0] == p.addr and d.native.command == "KL_BCANS",
                          what=f"answer of {p.node}").native.identity for p in (b, c)}
    assert answers == {b.identity, c.identity}
    # Every route of every node stays on the LAN or the node itself.
    reachable = [ipaddress.ip_network(n) for n in ("10.77.0.0/24", "127.0.0.0/8", "255.255.255.255/32")]
    for node in net.lan.nodes.values():
        routes = node.run("ip", "-4", "route", "show", "table", "all").stdout
        for line in filter(str.strip, routes.splitlines()):
            words = line.split()
            dest = words[1] if words[0] in ("local", "broadcast", "unicast", "multicast") else words[0]
            assert dest != "default" and any(ipaddress.ip_network(dest).subnet_of(r) for r in reachable), line
        assert node.run("hostname").stdout.strip() == node.hostname


# ---- copies of the program finding each other -----------------------------------------


@pytest.mark.parametrize("display_my_name", [0, 1])
def test_two_copies_list_each_other_under_their_sections(net, display_my_name):
    opts = {"DisplayMyName": display_my_name}
    h1 = net.host("a", my_name="山田", section="営業", sex=1, options=opts)
    # No name: the computer name stands for it, upper-cased as Wine reports it.
    h2 = net.host("b", hostname="kl-pc-b", section="開発", options=opts)
    assert h2.computer == "KL-PC-B"
    listener = net.native_peer("w", "聞き役", answer=False)
    start_all(h1, h2)

    for h, other in ((h1, h2), (h2, h1)):
        listed = [h, other] if display_my_name == 0 else [other]
        h.wait_lists(everyone_listed(*listed), what=f"{other.node.name} listed")

    # The entry broadcasts as they went out: own identity, relay "0", mode "0".
    for h in (h1, h2):
        sent = [m for m in listener.commands("KL_NETENTRY") if m.identity == h.identity]
        assert sent, f"no KL_NETENTRY from {h}: {listener.commands('KL_NETENTRY')}"
        assert sent[0].fields[2:] == ["0", "0", "0"]
        assert sent[0].addr in ("", h.addr)


def test_copy_joining_late_is_answered_by_all(net):
    h1 = net.host("a", my_name="山田", section="営業")
    h2 = net.host("b", my_name="佐藤", section="開発", sex=3)
    start_all(h1, h2)
    for h in (h1, h2):
        h.wait_lists(everyone_listed(h1, h2), what="the first two listed")

    h3 = net.host("c", my_name="田中", section="営業", sex=2)
    start_all(h3)
    for h in (h1, h2, h3):
        h.wait_lists(everyone_listed(h1, h2, h3), what="all three listed")


def test_copy_that_exits_is_absent_until_it_starts_again(net):
    h1 = net.host("a", my_name="山田", section="営業")
    h2 = net.host("b", my_name="佐藤", section="開発")
    start_all(h1, h2)
    for h in (h1, h2):
        h.wait_lists(everyone_listed(h1, h2), what="both listed")

    assert h2.stop() == 0
    lists = h1.wait_lists(lambda l: sorted(l.all) == [h1.entry] and l.absent == [h2.entry],
                          what="b moved to the absentees")
    assert lists.sections() == {"営業": [h1.entry]}
    # What b wrote at exit: the reachable peers, then the absentees.
    lis = h2.win_to_linux(h2.data_dir() + "kelup.lis").read_bytes().decode("cp932").split("\r\n")
    assert sorted(filter(None, lis)) == entries(h1, h2)

    h2.kh.start()
    h2.kh.wait_ready(90)
    for h in (h1, h2):
        h.wait_lists(everyone_listed(h1, h2), what="b back in list 0, no absentees")


# ---- scripted peers ----------------------------------------------------------------


@pytest.mark.parametrize("relay, mode, answer_flag, relayed", [
    ("0", "0", "0", False),
    ("1", "0", "1", True),
    ("1", "1", "1", False),
], ids=["broadcast", "direct-relayed", "direct-relay-refused"])
def test_native_peer_entry_is_listed_answered_and_relayed(net, relay, mode, answer_flag, relayed):
    h = net.host("a", my_name="山田", section="営業", sex=1)
    h.start_ready()
    h.wait_lists(lambda l: h.entry in l.all, what="own entry (address learnt)")
    peer = net.native_peer("p", "佐藤", section="開発", sex=4, broadcast_mode=mode)
    watcher = net.native_peer("w", "見張り")
    mark_w = watcher.mark()

    peer.enter(to="255.255.255.255" if relay == "0" else h.addr, relay=relay)
    got = peer.wait_for(lambda d: d.src[0] == h.addr and d.native.command == "KL_BCANS", what="KL_BCANS")
    addr, identity, flag, date, clock = got.native.fields
    assert (addr, identity, flag) == (h.addr, h.identity, answer_flag)
    assert DATE_RE.match(date) and TIME_RE.match(clock), got.native.fields
    h.wait_lists(lambda l: peer.entry in l.all and l.section("開発") == [peer.entry], what="peer listed")

    # The watcher's own entry, answered after any relay: whatever was relayed
    # has reached it by then.
    watcher.enter(to=h.addr)
    watcher.wait_for(lambda d: d.src[0] == h.addr and d.native.command == "KL_BCANS", since=mark_w,
                     what="answer to the watcher")
    subs = [d.native for d in watcher.received[mark_w:] if d.native and d.native.command == "KL_NETENTRYSUB"
            and d.src[0] == h.addr]
    if relayed:
        assert [(m.addr, m.identity, m.field(2)) for m in subs] == [(peer.addr, peer.identity, "0")]
    else:
        assert subs == []


@pytest.mark.parametrize("dialect, becomes_absent", [("native", True), ("ipmsg", False)])
def test_peer_that_leaves_is_moved_to_absentees_unless_ip_messenger(net, dialect, becomes_absent):
    h = net.host("a", my_name="山田", ipmsg=True)
    h.start_ready()
    if dialect == "native":
        peer = net.native_peer("p", "佐藤", section="開発")
        peer.enter()
    else:
        peer = net.ipmsg_peer("p", "sato", nick="佐藤", group="開発")
        peer.entry_broadcast()
    h.wait_lists(lambda l: sorted(l.all) == entries(h, peer) and l.section("開発") == [peer.entry],
                 what="peer listed")

    if dialect == "native":
        peer.leave()
    else:
        peer.exit_broadcast()
    lists = h.wait_lists(lambda l: sorted(l.all) == entries(h), what="peer gone from list 0")
    assert lists.absent == ([peer.entry] if becomes_absent else [])
    assert lists.section("開発") == []


@pytest.mark.parametrize("applyipmes", [1, 0])
def test_ip_messenger_peer_is_served_only_when_enabled(net, applyipmes):
    h = net.host("a", my_name="山田", section="営業", sex=2, ipmsg=bool(applyipmes))
    ipm = net.ipmsg_peer("q", "suzuki", nick="鈴木", group="開発")
    h.start_ready()
    h.wait_lists(lambda l: h.entry in l.all, what="own entry")

    mark = ipm.mark()
    ipm.entry_broadcast()
    if applyipmes:
        lists = h.wait_lists(lambda l: ipm.entry in l.all, what="IP Messenger peer listed")
        assert lists.section("開発") == [ipm.entry]
        parts = Entry.parse(ipm.entry)
        assert (parts.sex, parts.version) == ("8", "1.00")
        ans = ipm.wait_for(lambda d: d.src[0] == h.addr and d.ipmsg.mode == IPM_ANSENTRY, since=mark,
                           what="answer to the entry").ipmsg
        # The answer says the program reads UTF-8 as well.
        assert (ans.version, ans.packet_no, ans.user, ans.host, ans.command, ans.extra, ans.group) == \
            ("1", "2", h.kh.user, h.computer, IPM_ANSENTRY | IPM_CAPUTF8OPT, "山田", "営業")
        # The program's own entry broadcast at start, as an IP Messenger user sees it.
        own = ipm.wait_for(lambda d: d.src[0] == h.addr and d.ipmsg.mode == IPM_ENTRY, what="entry broadcast").ipmsg
        assert (own.packet_no, own.user, own.host, own.command, own.extra, own.group) == \
            ("2", h.kh.user, h.computer, IPM_ENTRY | IPM_CAPUTF8OPT, "山田", "営業")
        assert sorted(h.lists().all) == entries(h, ipm)
    else:
        # A native peer unknown so far enters after the IP Messenger entry:
        # once it is listed, that entry has been dealt with.
        marker = net.native_peer("m", "目印")
        marker.enter()
        lists = h.wait_lists(lambda l: marker.entry in l.all, what="marker listed")
        assert sorted(lists.all) == entries(h, marker)
        assert [e for e in lists.everything() if Entry.parse(e).sex == "8"] == []
        assert [d for d in ipm.received[mark:] if d.src[0] == h.addr and d.ipmsg
                and d.ipmsg.mode == IPM_ANSENTRY] == []


# ---- hostile datagrams ---------------------------------------------------------------


def probe(peer, h: NetHost, send, is_answer, what: str, timeout: float = 60) -> None:
    """Sends a probe and waits for the program's answer to it, which comes
    after the program has dealt with everything sent before. The probe is sent
    again every second while no answer came: a full receive buffer drops
    datagrams, the probe too."""
    end = time.monotonic() + timeout
    mark = peer.mark()
    while True:
        send()
        try:
            peer.wait_for(lambda d: d.src[0] == h.addr and is_answer(d), timeout=1, since=mark, what=what)
            return
        except BenchError:
            if time.monotonic() > end:
                raise


@pytest.mark.parametrize("tier", ["junk", "malformed"])
def test_flood_of_hostile_datagrams_changes_nothing(net, tier):
    h = net.host("a", my_name="山田", section="営業", ipmsg=True)
    legit = net.native_peer("p", "正規", section="開発")
    legit_ipm = net.ipmsg_peer("p", "seiki", nick="正規IP", group="開発")
    flooder = net.flooder("f", seed=7 if tier == "junk" else 11)
    h.start_ready()
    legit.enter()
    legit_ipm.entry_broadcast()
    before = h.wait_lists(lambda l: sorted(l.all) == entries(h, legit, legit_ipm),
                          what="program and legit peers listed")
    notes = h.query(Q.TextNoteCount)
    taken0 = (h.query(NATIVE_RECEIVED), h.query(IPM_RECEIVED))

    for i, (kind, data, port) in enumerate(flooder.datagrams(tier, FLOOD_COUNT), 1):
        flooder.send(h.addr, data, port, kind)
        if i % FLOOD_BURST == 0 or i == FLOOD_COUNT:
            probe(legit, h, lambda: legit.enter(to=h.addr),
                  lambda d: d.native is not None and d.native.command == "KL_BCANS", f"native probe after {i}")
            probe(legit_ipm, h, lambda: legit_ipm.entry_broadcast(to=h.addr),
                  lambda d: d.ipmsg is not None and d.ipmsg.mode == IPM_ANSENTRY, f"IP Messenger probe after {i}")

    taken = (h.query(NATIVE_RECEIVED) - taken0[0], h.query(IPM_RECEIVED) - taken0[1])
    print(f"\n{tier}: {FLOOD_COUNT} hostile datagrams, {flooder.sent_to.get(NATIVE_PORT, 0)} to the native "
          f"port and {flooder.sent_to.get(IPMSG_PORT, 0)} to the IP Messenger port ({flooder.errors} not sent), "
          f"each batch of {FLOOD_BURST} followed by a probe on each port; taken in by the program (probes "
          f"included): {taken[0]} native, {taken[1]} IP Messenger")
    assert h.query(Q.Ready) == 1
    assert taken[0] > 0 and taken[1] > 0
    after = h.lists()

    if tier == "junk":
        assert after.lines == before.lines
    else:
        # Announcements that are broken may list the flooder, at its own
        # address; every entry still reads back as an entry, and the legit
        # ones are there unchanged.
        assert set(entries(h, legit, legit_ipm)) <= set(after.all)
        allowed = {h.addr, legit.addr, flooder.node.addr}
        bad = []
        for index, caption, text in after.lines:
            e = Entry.parse(text)
            if (e is None or e.addr not in allowed or any(ord(c) < 0x20 or c == "\x7f" for c in text)
                    or len(e.display) > 128 or len(e.sex) > 1 or len(e.version) > 5):
                bad.append((index, caption, text))
            elif e.addr != flooder.node.addr and text not in before.texts(index):
                bad.append((index, caption, text))
        assert bad == [], "\n".join(map(repr, bad))

    assert h.query(Q.TextNoteCount) == notes
    assert h.message_boxes() == []
    dde_make_note(h, "洪水の後")
    wait_until(lambda: h.query(Q.TextNoteCount) == notes + 1, 30, what="a note from DDE after the flood")


# ---- untrusted announcements and IP Messenger clients in the wild --------------------

_WELL_FORMED_ENTRY = re.compile(r"(?P<name>[^（）]+)（(?P<pc>[^（）]+)）\u3000{12}:::(?P<addr>\d{1,3}(?:\.\d{1,3}){3})"
                                r"///(?P<sex>\d)\\{3}(?P<version>\d[\d.]{0,4})")


def well_formed(text: str) -> bool:
    """An entry as the program may list and store one: a readable name and
    computer name, an address, one digit of sex, a version of digits and dots."""
    m = _WELL_FORMED_ENTRY.fullmatch(text)
    return bool(m) and m["name"].strip(" \u3000") != "" and len(m["name"]) + len(m["pc"]) + 2 <= 128 \
        and not any(ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F for c in text) \
        and all(int(part) <= 255 for part in m["addr"].split("."))


def flood(flooder: Flooder, tier: str, count: int, h: NetHost, legit: NativePeer, legit_ipm: IpMsgPeer) -> None:
    """`count` datagrams of a tier, each batch followed by a probe on each port."""
    for i, (kind, data, port) in enumerate(flooder.datagrams(tier, count), 1):
        flooder.send(h.addr, data, port, kind)
        if i % FLOOD_BURST == 0 or i == count:
            probe(legit, h, lambda: legit.enter(to=h.addr),
                  lambda d: d.native is not None and d.native.command == "KL_BCANS", f"{tier}: native probe after {i}")
            probe(legit_ipm, h, lambda: legit_ipm.entry_broadcast(to=h.addr),
                  lambda d: d.ipmsg is not None and d.ipmsg.mode == IPM_ANSENTRY, f"{tier}: IP Messenger probe after {i}")


def test_announcements_out_of_form_are_dropped_and_never_stored(net):
    h = net.host("a", my_name="山田", section="営業", ipmsg=True)
    legit = net.native_peer("p", "正規", section="開発")
    legit_ipm = net.ipmsg_peer("p", "seiki", nick="正規IP", group="開発")
    flooder = net.flooder("f", seed=23)

    # What an earlier run stored: an absentee and a friend, and lines out of form.
    good_absent = Entry("佐藤", "KL-OLD", "10.77.0.200", "3", "2.001").text
    good_friend = Entry("鈴木", "KL-FRD", "10.77.0.201", "1", "2.001").text
    sp = "\u3000" * 12
    bad_lines = [
        cp932(f"壊れ（KL-B1）{sp}:::10.77.0.210///\\\\\\2.001"),                  # empty sex
        cp932(f"壊れ（KL-B2）{sp}:::10.77.0.211///1\\\\\\_____"),                 # version "_____"
        cp932("壊れ") + b"\x82\xff" + cp932(f"（KL-B3）{sp}:::10.77.0.212///1\\\\\\2.001"),   # no code page 932
        cp932(f"（KL-B4）{sp}:::10.77.0.213///1\\\\\\2.001"),                     # no name
        cp932(f"壊れ（KL-B5）{sp}:::10.77.0.999///1\\\\\\2.001"),                  # no address
        cp932(f"壊\x01れ（KL-B6）{sp}:::10.77.0.214///1\\\\\\2.001"),              # a control character
        b"junk",
    ]
    data = h.data_dir()
    h.win_to_linux(data + "kelup.lis").write_bytes(b"\r\n".join([cp932(good_absent), *bad_lines]) + b"\r\n")
    h.win_to_linux(data + "kelup.frd").write_bytes(b"\r\n".join([*bad_lines, cp932(good_friend)]) + b"\r\n")

    h.start_ready()
    legit.enter()
    legit_ipm.entry_broadcast()
    before = h.wait_lists(lambda l: sorted(l.all) == entries(h, legit, legit_ipm),
                          what="program and legit peers listed")
    assert (before.absent, before.friends) == ([good_absent], [good_friend]), str(before)

    # Announcements each out of form in one point, from the flooder's own
    # address: none is listed, answered into the lists or relayed.
    taken0 = (h.query(NATIVE_RECEIVED), h.query(IPM_RECEIVED))
    flood(flooder, "near-miss", 1200, h, legit, legit_ipm)
    assert h.query(NATIVE_RECEIVED) - taken0[0] > 400 and h.query(IPM_RECEIVED) - taken0[1] > 200
    after = h.lists()
    assert after.lines == before.lines, str(after)
    # Broken announcements of every other kind: whatever is listed is well-formed.
    flood(flooder, "malformed", 800, h, legit, legit_ipm)
    after = h.lists()
    assert [t for t in after.everything() if not well_formed(t)] == []
    assert set(before.all) <= set(after.all)
    assert h.message_boxes() == []

    assert h.stop() == 0
    # The files hold valid code page 932 and well-formed entries only.
    lis = h.win_to_linux(data + "kelup.lis").read_bytes().decode("cp932").split("\r\n")
    assert lis[-1] == ""
    assert [t for t in lis[:-1] if not well_formed(t)] == []
    assert good_absent in lis and legit.entry in lis and legit_ipm.entry not in lis
    frd = h.win_to_linux(data + "kelup.frd").read_bytes().decode("cp932")
    assert frd == good_friend + "\r\n"

    # A new start brings back what was stored, and nothing out of form.
    h.kh.start()
    h.kh.wait_ready(90)
    again = h.wait_lists(lambda l: sorted(l.all) == entries(h, legit, legit_ipm), what="listed again")
    assert [t for t in again.everything() if not well_formed(t)] == []
    assert good_absent in again.absent and again.friends == [good_friend]
    assert set(again.absent) <= set(lis)
    assert not any("KL-B" in t for t in again.everything())


@pytest.mark.parametrize("client", ["iptux", "ipmsg-utf8"])
def test_utf8_ip_messenger_clients_are_listed_and_answered_in_utf8(net, client):
    h = net.host("a", my_name="山田", section="営業", sex=2, ipmsg=True)
    if client == "iptux":
        # iptux tags its version, writes UTF-8 and names its encoding after
        # the group and its icon, without the UTF-8 option.
        kw = dict(version="1_iptux 0.8.3", encoding="utf-8", tail=["", "utf-8"])
    else:
        # IP Messenger with UTF-8: the options say this packet is UTF-8 and
        # the sender reads it.
        kw = dict(encoding="utf-8", options=IPM_UTF8OPT | IPM_CAPUTF8OPT)
    # A host name outside ASCII: the exit, which names no encoding, is read
    # as the peer writes too.
    utf = net.ipmsg_peer("q", "suzuki", host="鈴木のPC", nick="鈴木　花子", group="開発部", **kw)
    plain = net.ipmsg_peer("c", "sato", nick="佐藤", group="総務")
    h.start_ready()

    # Both answer the program's entry broadcast, each as its client does.
    lists = h.wait_lists(lambda l: utf.entry in l.all and plain.entry in l.all, what="both IP Messenger peers listed")
    assert sorted(lists.all) == entries(h, utf, plain)
    assert (lists.section("開発部"), lists.section("総務")) == ([utf.entry], [plain.entry])
    assert Entry.parse(utf.entry).name == "鈴木　花子"

    # Each entry is answered in what its sender reads: UTF-8 with the UTF-8
    # option, or code page 932 as always.
    for peer, encoding, command in ((utf, "utf-8", IPM_ANSENTRY | IPM_UTF8OPT | IPM_CAPUTF8OPT),
                                    (plain, "cp932", IPM_ANSENTRY | IPM_CAPUTF8OPT)):
        mark = peer.mark()
        peer.entry_broadcast(to=h.addr)
        got = peer.wait_for(lambda d: d.src[0] == h.addr and d.ipmsg is not None and d.ipmsg.mode == IPM_ANSENTRY,
                            since=mark, what=f"answer to {peer.user}")
        want = f"1:2:{h.kh.user}:{h.computer}:{command}:山田".encode(encoding) + b"\0" + "営業".encode(encoding)
        assert got.data == want, (peer.user, got.data)
    # The entry broadcast to everyone stays in code page 932 and says the
    # program reads UTF-8.
    own = plain.wait_for(lambda d: d.src[0] == h.addr and d.ipmsg is not None and d.ipmsg.mode == IPM_ENTRY,
                         what="entry broadcast").ipmsg
    assert (own.command, own.extra, own.group, own.utf8) == (IPM_ENTRY | IPM_CAPUTF8OPT, "山田", "営業", False)
    # Its exit, in its encoding, takes it off the lists.
    utf.exit_broadcast(to=h.addr)
    h.wait_lists(lambda l: utf.entry not in l.all and plain.entry in l.all and l.section("開発部") == [],
                 what="the UTF-8 peer gone")
    # IP Messenger peers are not stored, whatever their encoding.
    assert h.stop() == 0
    lis = h.win_to_linux(h.data_dir() + "kelup.lis").read_bytes().decode("cp932")
    assert utf.entry not in lis and plain.entry not in lis
