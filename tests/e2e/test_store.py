"""The notes' store, end to end: the data file with its slot flags and the
translucency file across a restart, the lowest free slot for new notes,
duplicates, peeling with the peel log, restoring peeled notes, recovery from
the backup, the backup written at exit, and saves cut short by a kill.

Notes are made through DDE ("DDEMAKEKELUP"), each at a position of its own,
so that a note window, its record in the data file and its text can be told
apart by position alone. Texts carry an ASCII marker, which the rich-text
files keep as it is."""

from __future__ import annotations

import random
import re
import struct
import threading
import time
from dataclasses import dataclass
from datetime import datetime, timedelta

import pytest

from kelup_bench import DIALOG_CLASS, BenchError, KelupHost, KltoolError, Q, wait_until

TEXT_NOTE_CLASS = "TKELUPSHI"
RICH_EDIT_CLASS = "richedit50w"
WS_EX_LAYERED = 0x00080000

# Main menu commands (to the main window).
ID_M_Undo = 1043
# Commands of a text note's menu (to the note window).
ID_LOG1 = 3001
ID_N_Exit = 3002
ID_LOG2 = 3003
ID_MRep = 3107
ID_M_EmptyRep = 3108

PEEL_COMMANDS = {"log1": ID_LOG1, "exit": ID_N_Exit}
COMMENT_TITLE = "コメントの入力"
DATA_VERSION = 99000
DEFAULT_SLOTS = 99

RECOVER = "ファイル読込みでエラーが発生したので\rバックアップで復旧します"
NO_BACKUP = "ファイル読込みでエラーが発生したので\rバックアップで復旧しようとしましたが\rバックアップが見つかりませんでした"
READ_ERROR = ("ファイル読込み処理でエラーが発生しました", "エラーが発生しました")
LOST = "バックアップファイルのエラーにより付箋紙が失われました"


# ---- the data file, read independently of the program ------------------------------

class DataFileError(ValueError):
    pass


@dataclass
class TextRecord:
    tag: str
    made: float
    fields: tuple[int, ...]  # the 24 Int32 of the note record
    data_name: str
    k_date: float
    sender_name: str
    sender_addr: str
    send_date: float
    send_time: float
    snd_name: str
    open_fname: str
    bkgnd_name: str
    start: int  # byte offsets of the record in the file
    end: int

    @property
    def pos(self) -> tuple[int, int]:
        return self.fields[0], self.fields[1]

    @property
    def color(self) -> int:
        return self.fields[4]


@dataclass
class DataFile:
    text_count: int
    image_count: int
    undo_count: int
    version: int
    flags: str
    notes: dict[int, TextRecord]  # by slot, in file order
    undo: list[TextRecord]


class _Reader:
    def __init__(self, data: bytes):
        self.data, self.pos = data, 0

    def take(self, n: int) -> bytes:
        if n < 0 or self.pos + n > len(self.data):
            raise DataFileError(f"file of {len(self.data)} bytes ends inside an item of {n} bytes at {self.pos}")
        chunk = self.data[self.pos:self.pos + n]
        self.pos += n
        return chunk

    def int32(self) -> int:
        return struct.unpack("<i", self.take(4))[0]

    def double(self) -> float:
        return struct.unpack("<d", self.take(8))[0]

    def str(self) -> str:
        at = self.pos
        n = self.int32()
        raw = self.take(n)
        if n < 1 or raw[-1:] != b"\0":
            raise DataFileError(f"string at {at} of length {n} has no closing zero byte")
        return raw.split(b"\0", 1)[0].decode("cp932")

    def text_record(self) -> TextRecord:
        start = self.pos
        tag, made = self.str(), self.double()
        fields = struct.unpack("<24i", self.take(96))
        data_name, k_date = self.str(), self.double()
        sender_name, sender_addr = self.str(), self.str()
        send_date, send_time = self.double(), self.double()
        snd, open_f, bkgnd = self.str(), self.str(), self.str()
        return TextRecord(tag, made, fields, data_name, k_date, sender_name, sender_addr, send_date, send_time,
                          snd, open_f, bkgnd, start, self.pos)

    def image_record(self) -> None:
        if self.str() != "B_Kelup":
            raise DataFileError(f"image record at {self.pos} has a wrong tag")
        self.take(84)
        for _ in range(3):
            self.str()
        self.double()
        self.str(), self.str()


def parse_data_file(data: bytes) -> DataFile:
    """The whole current-version file; DataFileError unless it is complete and
    consistent, with nothing after the last undo record."""
    r = _Reader(data)
    text_count, image_count, undo_count, version = (r.int32() for _ in range(4))
    if version != DATA_VERSION:
        raise DataFileError(f"version {version}")
    flags = r.str()
    if set(flags) - {"0", "1"}:
        raise DataFileError(f"slot flags {flags!r}")
    notes = {}
    for slot, flag in enumerate(flags):
        if flag == "1":
            rec = r.text_record()
            if rec.tag != "N_Kelup":
                raise DataFileError(f"text record of slot {slot} has the tag {rec.tag!r}")
            notes[slot] = rec
    if len(notes) != text_count:
        raise DataFileError(f"header announces {text_count} text notes, the flags {len(notes)}")
    for _ in range(image_count):
        r.image_record()
    undo = [r.text_record() for _ in range(2)]
    if [u.tag for u in undo] != ["BackUp ", "BackUp "]:
        raise DataFileError(f"undo records tagged {[u.tag for u in undo]}")
    if not 0 <= undo_count <= 2:
        raise DataFileError(f"UndoCount {undo_count}")
    if r.pos != len(data):
        raise DataFileError(f"{len(data) - r.pos} bytes after the last undo record")
    return DataFile(text_count, image_count, undo_count, version, flags, notes, undo)


def flags_for(slots, total: int = DEFAULT_SLOTS) -> str:
    return "".join("1" if i in set(slots) else "0" for i in range(total))


def pack_str(text: str) -> bytes:
    raw = text.encode("cp932") + b"\0"
    return struct.pack("<i", len(raw)) + raw


# ---- data files of the editions that kept the texts inline (before 97200) -----------

@dataclass
class InlineNote:
    left: int
    top: int
    lines: list[str]  # one string per line; none for an empty note
    font: str = "ＭＳ 明朝"  # empty: the reader's default font
    size: int = 12
    color: int = 0x800000


def old_text_record(version: int, n: InlineNote) -> bytes:
    """A text note as those editions wrote it: the font, the size, the colour
    and the lines in the record itself, and only the items the version had."""
    assert version < 97200
    dates_as_text = version <= 97104
    out = pack_str("N_Kelup")
    out += pack_str("1998/05/01 12:00:00") if dates_as_text else struct.pack("<d", 35916.5)
    out += struct.pack("<24i",
                       n.left, n.top, 240, 110, 0x80FFFF, 0, 0,  # place, colour, stacking, frame
                       n.color, 0, n.size, 0, len(n.lines), 0, 0,  # font colours, sizes, line count, styles
                       0, 0, 0, 0, 0, 0, 0, 0, 0, 20)  # sealed ... line spacing
    out += pack_str(n.font) + pack_str("MS") + b"".join(pack_str(line) for line in n.lines)
    if version > 330:  # the deadline: none
        out += pack_str("") if dates_as_text else struct.pack("<d", 0)
    if version >= 97091:
        out += pack_str("送り主")
        if version >= 97101:
            out += pack_str("192.168.0.9")
        out += pack_str("") + pack_str("") if dates_as_text else struct.pack("<dd", 0, 0)  # not sent
    if version >= 97130:
        out += pack_str("")  # sound
    if version >= 97150:
        out += pack_str("")  # file to open
    return out


def old_data_file(version: int, text_notes: list[InlineNote]) -> bytes:
    """No slot flags (the notes take slots 0, 1, 2 ... in file order), no
    image notes, nothing to restore."""
    tail = pack_str("END") if 97100 <= version <= 97102 else b""
    return (struct.pack("<4i", len(text_notes), 0, 0, version)
            + b"".join(old_text_record(version, n) for n in text_notes) + tail)


# ---- driving the program ------------------------------------------------------------

@dataclass(frozen=True)
class Note:
    hwnd: int
    left: int
    top: int
    width: int
    height: int
    exstyle: int
    edit: int  # the rich-edit control
    text: str | None

    @property
    def pos(self) -> tuple[int, int]:
        return self.left, self.top


def notes(h: KelupHost, texts: bool = True) -> list[Note]:
    """The visible text notes, with their texts unless told otherwise."""
    for _ in range(5):
        try:
            found = []
            for w in h.windows(cls=TEXT_NOTE_CLASS, visible=True):
                edit = next(c for c in h.controls(w) if c["class"].lower() == RICH_EDIT_CLASS)
                left, top, right, bottom = w["rect"]
                found.append(Note(w["hwnd"], left, top, right - left, bottom - top, w["exstyle"], edit["hwnd"],
                                  h.text(edit["hwnd"]) if texts else None))
            return found
        except KltoolError:  # a note went away while it was read
            time.sleep(0.3)
    raise BenchError("the note windows kept changing")


def by_pos(h: KelupHost, texts: bool = True) -> dict[tuple[int, int], Note]:
    found = notes(h, texts)
    table = {n.pos: n for n in found}
    assert len(table) == len(found), f"notes on the same spot: {found}"
    return table


def texts_by_pos(h: KelupHost) -> dict[tuple[int, int], str]:
    return {p: n.text for p, n in by_pos(h).items()}


def dde(h: KelupHost, text: str) -> None:
    """One DDE execute transaction with `text` (real CR/LF in it)."""
    escaped = text.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n")
    r = h.kl("dde", "--exec", escaped, "--timeout", 60000, timeout=90)
    assert r == {"connected": True, "ack": True}, f"DDE {text!r}: {r}"


def make_note(h: KelupHost, lines: list[str], left: int, top: int) -> None:
    dde(h, "\r\n".join(["DDEMAKEKELUP", f"{len(lines)};{left};{top};", *lines]))


def count(h: KelupHost) -> int:
    return h.query(Q.TextNoteCount)


def note_command(h: KelupHost, note: Note, cmd: int) -> None:
    """A note's menu command, handled before this returns."""
    h.kl("command", "--hwnd", note.hwnd, "--id", cmd, "--send")


def wait_gone(h: KelupHost, note: Note) -> None:
    wait_until(lambda: note.hwnd not in {w["hwnd"] for w in h.windows(cls=TEXT_NOTE_CLASS, visible=True,
                                                                        children=False)},
               30, 0.2, what=f"note {note.text!r} gone")


def comment_dialog(h: KelupHost, note: Note) -> dict:
    h.kl("command", "--hwnd", note.hwnd, "--id", ID_LOG2)  # posted: the dialog is modal
    return h.wait_window(COMMENT_TITLE, DIALOG_CLASS, visible=True)


def peel(h: KelupHost, note: Note, how: str, comment: str = "コメント") -> None:
    """Peels with "log1" (はがす), "exit" (the other way) or "comment"."""
    if how == "comment":
        dlg = comment_dialog(h, note)
        edit = next(c for c in h.controls(dlg) if c["class"].lower() == "edit")
        h.set_text(edit["hwnd"], comment)
        h.click(None, "はがす", hwnd=dlg["hwnd"])
    else:
        note_command(h, note, PEEL_COMMANDS[how])
    wait_gone(h, note)


def restore(h: KelupHost) -> None:
    h.command(ID_M_Undo, send=True)


def start_ready(h: KelupHost, timeout: float = 60) -> KelupHost:
    h.start()
    h.wait_ready(timeout)
    assert h.query(Q.Ready) == 1
    assert h.message_boxes() == []
    return h


def stop(h: KelupHost) -> None:
    h.close()
    h.wait_exit(120)


def data_path(h: KelupHost, name: str):
    return h.win_to_linux(h.data_dir() + name)


def read_data(h: KelupHost, name: str = "kelup.dat") -> DataFile:
    return parse_data_file(data_path(h, name).read_bytes())


def text_file(h: KelupHost, slot: int) -> bytes:
    return data_path(h, f"kelup{slot}.kdt").read_bytes()


def half(h: KelupHost) -> tuple[dict, str | None]:
    ini = h.read_ini(h.data_dir() + "kelup.Hlf")
    assert ini is not None, "kelup.Hlf not written"
    return dict(ini.get("HALF", {})), ini.get("COUNT", {}).get("COUNT")


@pytest.fixture
def configured(host):
    """A host past its first run, data in ExeDir\\data\\, no network."""
    h = host()
    h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "1", "Password": ""}})
    return h


def seed_options(h: KelupHost, **sections) -> None:
    h.seed_kelup_ini({name: dict(keys) for name, keys in sections.items()})


# ---- slots, text files and translucency across a restart ----------------------------

def pos_of(i: int) -> tuple[int, int]:
    return 40 + 60 * i, 30 + 45 * i


def lines_of(i: int) -> list[str]:
    return [f"メモ{i}", f"note {i}"]


def test_notes_keep_their_slots_text_files_and_translucency(configured):
    h = configured
    kept = [0, 5, 9]
    start_ready(h)
    for i in range(10):
        make_note(h, lines_of(i), *pos_of(i))
    assert count(h) == 10
    made = by_pos(h)
    for i in sorted(set(range(10)) - set(kept)):
        peel(h, made[pos_of(i)], "exit")
    stop(h)

    dat = read_data(h)
    assert dat.flags == flags_for(kept)
    assert {s: (r.pos, r.data_name) for s, r in dat.notes.items()} == \
        {i: (pos_of(i), f"kelup{i}.kdt") for i in kept}
    assert half(h) == ({str(i): "255" for i in kept}, "3")

    alpha = {0: 255, 5: 128, 9: 200}
    hlf = h.read_ini(h.data_dir() + "kelup.Hlf")
    hlf["HALF"] = {str(i): str(a) for i, a in alpha.items()}
    h.write_ini(h.data_dir() + "kelup.Hlf", hlf)

    start_ready(h)
    assert count(h) == 3
    back = by_pos(h)
    assert {p: n.text for p, n in back.items()} == {pos_of(i): "\r\n".join(lines_of(i)) for i in kept}
    assert {i: bool(back[pos_of(i)].exstyle & WS_EX_LAYERED) for i in kept} == {0: False, 5: True, 9: True}
    for i in kept:
        assert f"note {i}".encode() in text_file(h, i)

    # The slots are still 0, 5 and 9: a new note takes slot 1.
    make_note(h, lines_of(1), *pos_of(1))
    dat = read_data(h)
    assert {s: r.pos for s, r in dat.notes.items()} == {i: pos_of(i) for i in [0, 1, 5, 9]}
    assert b"note 1" in text_file(h, 1)
    stop(h)
    assert half(h) == ({**{str(i): str(a) for i, a in alpha.items()}, "1": "255"}, "4")


# ---- new notes take the lowest free slot --------------------------------------------

def make_dde(h, source):
    make_note(h, ["fresh note", "新しい"], 700, 600)


def make_duplicate(h, source):
    note_command(h, source, ID_MRep)


def make_empty_duplicate(h, source):
    note_command(h, source, ID_M_EmptyRep)


@pytest.mark.parametrize("make, marker", [
    (make_dde, b"fresh note"),
    (make_duplicate, b"note 4"),
    (make_empty_duplicate, None),
], ids=["dde", "duplicate", "empty-duplicate"])
def test_new_note_takes_lowest_free_slot_and_drops_old_org_copy(configured, make, marker):
    h = configured
    start_ready(h)
    for i in range(5):
        make_note(h, lines_of(i), *pos_of(i))
    before = by_pos(h)
    peel(h, before[pos_of(2)], "exit")
    org = h.win_to_linux(h.data_dir() + "Org")
    org.mkdir(exist_ok=True)
    (org / "kelup2.kdt").write_bytes(b"{\\rtf1 old text}")
    (org / "kelup7.kdt").write_bytes(b"{\\rtf1 other slot}")

    make(h, before[pos_of(4)])
    wait_until(lambda: count(h) == 5, 30, what="the new note counted")

    [new] = [n for n in notes(h) if n.hwnd not in {m.hwnd for m in before.values()}]
    dat = read_data(h)
    assert dat.flags == flags_for(range(5))
    assert dat.notes[2].pos == new.pos
    assert dat.notes[2].data_name == "kelup2.kdt"
    kdt = text_file(h, 2)
    assert b"note 2" not in kdt
    if marker is not None:
        assert marker in kdt
    else:
        assert new.text == ""
    assert not (org / "kelup2.kdt").exists()
    assert (org / "kelup7.kdt").exists()


# ---- duplicates ----------------------------------------------------------------------

OLD_COLOR, NEW_COLOR = 0x80FF80, 0xC0C0FF
GAP = 7  # [Option] H_B


@pytest.mark.parametrize("cmd, with_text", [(ID_MRep, True), (ID_M_EmptyRep, False)],
                         ids=["with-text", "empty"])
def test_duplicate_copies_colour_to_lowest_free_slot_below_or_above(configured, cmd, with_text):
    h = configured
    seed_options(h, Config={"Colorx64": OLD_COLOR}, Option={"H_B": GAP})
    screen_h = int(h.xdo("getdisplaygeometry").split()[1])
    high, filler, low = (100, 100), (400, 300), (100, screen_h - 74)  # no room below the low one
    start_ready(h)
    make_note(h, ["upper note", "上"], *high)
    make_note(h, ["filler"], *filler)
    make_note(h, ["lower note", "下"], *low)
    stop(h)
    # Notes made from now on take another colour; the duplicates keep their source's.
    ini = h.read_ini(h.kelup_ini())
    ini["Config"]["Colorx64"] = str(NEW_COLOR)
    h.write_ini(h.kelup_ini(), ini)

    start_ready(h)
    made = by_pos(h)
    peel(h, made[filler], "exit")
    note_command(h, made[high], cmd)
    note_command(h, made[low], cmd)
    make_note(h, ["control"], 700, 100)

    dat = read_data(h)
    up, down = made[high], made[low]
    assert down.top + down.height >= screen_h - down.height, f"room below the lower note: {down}"
    expected = {
        0: (high, OLD_COLOR, up.text),
        1: ((up.left, up.top + up.height + GAP), OLD_COLOR, up.text),
        2: (low, OLD_COLOR, down.text),
        3: ((down.left, down.top - down.height - GAP), OLD_COLOR, down.text),
        4: ((700, 100), NEW_COLOR, "control"),
    }
    now = by_pos(h)
    got = {s: (r.pos, r.color, getattr(now.get(r.pos), "text", None)) for s, r in dat.notes.items()}
    want = {s: (p, c, t if with_text or s in (0, 2, 4) else "") for s, (p, c, t) in expected.items()}
    assert got == want
    assert (b"upper note" in text_file(h, 1), b"lower note" in text_file(h, 3)) == (with_text, with_text)


# ---- peeling and restoring ------------------------------------------------------------

@pytest.mark.parametrize("peeled", [2, 3])
def test_restore_brings_back_the_last_two_peeled_newest_first(configured, peeled):
    h = configured
    names = ["A", "B", "C"]
    pos = {n: (100 + 150 * i, 200 + 80 * i) for i, n in enumerate(names)}
    start_ready(h)
    for n in names:
        make_note(h, [f"note {n}", f"付箋{n}"], *pos[n])
    made = by_pos(h)
    for n in names[:peeled]:
        peel(h, made[pos[n]], "exit")
    remaining = {pos[n] for n in names[peeled:]}
    assert set(texts_by_pos(h)) == remaining

    back = list(reversed(names[:peeled]))[:2]  # the newest first; only two are kept
    for n in back:
        restore(h)
        remaining.add(pos[n])
        assert texts_by_pos(h) == {p: made[p].text for p in remaining}
    restore(h)  # nothing left to bring back
    assert count(h) == len(remaining)
    assert texts_by_pos(h) == {p: made[p].text for p in remaining}

    # Restored notes took the lowest free slots, and the restores were saved.
    dat = read_data(h)
    slots = {s: r.pos for s, r in dat.notes.items()}
    assert [slots[s] for s in range(len(back))] == [pos[n] for n in back]
    for s, n in enumerate(back):
        assert f"note {n}".encode() in text_file(h, s)


@pytest.mark.parametrize("how", ["log1", "exit", "comment"])
def test_peeled_notes_can_be_restored_after_a_restart(configured, how):
    h = configured
    pos = {"A": (150, 150), "B": (500, 300), "K": (800, 600)}
    start_ready(h)
    for n, p in pos.items():
        make_note(h, [f"note {n}", f"付箋{n}"], *p)
    made = by_pos(h)
    peel(h, made[pos["A"]], how)
    peel(h, made[pos["B"]], how)
    stop(h)

    start_ready(h)
    assert texts_by_pos(h) == {pos["K"]: made[pos["K"]].text}
    restore(h)
    assert texts_by_pos(h) == {p: made[p].text for p in (pos["K"], pos["B"])}
    restore(h)
    restore(h)
    assert count(h) == 3
    assert texts_by_pos(h) == {p: n.text for p, n in made.items()}
    assert {p: (n.width, n.height) for p, n in by_pos(h).items()} == \
        {p: (n.width, n.height) for p, n in made.items()}


# ---- the peel log ---------------------------------------------------------------------

LOG_STAMP = r"\[{label}:(\d{{4}}/\d{{1,2}}/\d{{1,2}} \d{{1,2}}:\d{{2}}:\d{{2}})\]\r\n"


def log_entry_pattern(lines: list[str], comment: list[str] | None) -> str:
    """One entry up to its last line; then, in a group, what separates it from
    the next one."""
    body = "".join(re.escape(line) + r"\r\n" for line in lines)
    if comment is not None:
        body += r"\[コメント\]\r\n" + "".join(re.escape(line) + r"\r\n" for line in comment)
    return LOG_STAMP.format(label="作成した日時") + LOG_STAMP.format(label="はがした日時") + body + r"((?:\r\n)*)"


@pytest.mark.parametrize("use_log1, log_default, logged", [
    (1, 1, ["log1", "comment"]),
    (1, 0, ["exit", "comment"]),
    (0, 1, ["comment"]),
], ids=["log1-writes", "exit-writes", "log-off"])
def test_peel_log_entries(configured, use_log1, log_default, logged):
    h = configured
    seed_options(h, Option={"UseLog1": use_log1, "LogDefault": log_default})
    kinds = ["log1", "exit", "comment"]
    lines = {k: [f"{k} note", f"はがす{k}", "三行目"] for k in kinds}
    pos = {k: (100 + 200 * i, 300) for i, k in enumerate(kinds)}
    comment = ["一行目のコメント", "second line"]
    log = data_path(h, "kelup.log")

    before = datetime.now().replace(microsecond=0)
    start_ready(h)
    for k in kinds:
        make_note(h, lines[k], *pos[k])
    made = by_pos(h)

    # Cancelling the comment dialog keeps the note and writes nothing.
    dlg = comment_dialog(h, made[pos["comment"]])
    h.click(None, "やめる", hwnd=dlg["hwnd"])
    h.wait_gone(COMMENT_TITLE, DIALOG_CLASS)
    assert set(by_pos(h)) == set(pos.values())
    assert not log.exists()

    for k in kinds:
        peel(h, made[pos[k]], k, comment="\r\n".join(comment))
    after = datetime.now() + timedelta(seconds=1)
    assert count(h) == 0

    text = log.read_bytes().decode("cp932")
    pattern = "".join(log_entry_pattern(lines[k], comment if k == "comment" else None) for k in logged)
    m = re.fullmatch(pattern, text)
    assert m, f"peel log:\n{text!r}\nexpected the entries of {logged}"
    groups = m.groups()
    made_at, peeled_at = ([datetime.strptime(s, "%Y/%m/%d %H:%M:%S") for s in groups[i::3]] for i in (0, 1))
    assert all(before <= a <= b <= after for a, b in zip(made_at, peeled_at)), (made_at, peeled_at)
    # Each entry ends with a line holding CR LF: two empty lines after it.
    assert list(groups[2::3]) == ["\r\n\r\n"] * len(logged), f"empty lines after each entry: {text!r}"


# ---- recovery from the backup ----------------------------------------------------------

def truncate_in_third_record(path) -> None:
    data = path.read_bytes()
    third = list(parse_data_file(data).notes.values())[2]
    path.write_bytes(data[:(third.start + third.end) // 2])


def answer_boxes(h: KelupHost, n: int) -> list[str]:
    """Texts of the next n message boxes, each answered with OK."""
    texts, seen = [], set()
    for _ in range(n):
        box = wait_until(lambda: next((b for b in h.message_boxes() if b["hwnd"] not in seen), None),
                         60, 0.2, what=f"message box {len(texts) + 1} of {n}")
        seen.add(box["hwnd"])
        texts.append(h.message_text(box))
        h.click(None, "OK", hwnd=box["hwnd"])
    return texts


def same_text(shown: str, expected) -> bool:
    def norm(s):
        return re.sub(r"\r\n?|\n", "\n", s)
    options = expected if isinstance(expected, tuple) else (expected,)
    return any(norm(shown) == norm(e) for e in options)


@pytest.mark.parametrize("data, backup, boxes, kept", [
    ("truncated", "whole", [RECOVER], [0, 1, 2, 3]),
    ("truncated", "truncated", [RECOVER, READ_ERROR, LOST], [0, 1]),
    ("truncated", "missing", [NO_BACKUP], []),
    ("missing", "missing", [], []),
], ids=["backup-whole", "backup-truncated", "no-backup", "no-files"])
def test_broken_data_file_recovers_from_backup(configured, data, backup, boxes, kept):
    h = configured
    start_ready(h)
    for i in range(4):
        make_note(h, lines_of(i), *pos_of(i))
    stop(h)
    files = {"data": data_path(h, "kelup.dat"), "backup": data_path(h, "kelup.bak")}
    assert files["backup"].read_bytes() == files["data"].read_bytes()
    for name, state in (("data", data), ("backup", backup)):
        if state == "truncated":
            truncate_in_third_record(files[name])
        elif state == "missing":
            files[name].unlink()
    broken = files["data"].read_bytes() if data == "truncated" else None

    h.start()
    shown = answer_boxes(h, len(boxes))
    assert len(shown) == len(boxes) and all(same_text(s, e) for s, e in zip(shown, boxes)), shown
    h.wait_ready()
    assert h.message_boxes() == []
    expected = {pos_of(i): "\r\n".join(lines_of(i)) for i in kept}
    assert count(h) == len(kept)
    assert texts_by_pos(h) == expected
    # The unreadable file is kept aside before any save replaces it.
    aside = data_path(h, "kelup.dat.damaged")
    assert (aside.read_bytes() if aside.exists() else None) == broken

    # What was recovered is what the next start reads, without a word.
    stop(h)
    start_ready(h)
    assert texts_by_pos(h) == expected


# ---- exit ------------------------------------------------------------------------------

@pytest.mark.parametrize("how", ["close", "end_session"])
def test_exit_saves_the_notes_and_copies_them_to_the_backup(configured, how):
    h = configured
    start_ready(h)
    for i in range(3):
        make_note(h, lines_of(i), *pos_of(i))
    peel(h, by_pos(h)[pos_of(1)], "exit")  # a peel alone does not save
    getattr(h, how)()
    h.wait_exit(60)
    dat = data_path(h, "kelup.dat").read_bytes()
    assert {s: r.pos for s, r in parse_data_file(dat).notes.items()} == {0: pos_of(0), 2: pos_of(2)}
    assert data_path(h, "kelup.bak").read_bytes() == dat


# ---- a kill in the middle of saves -----------------------------------------------------

KILL_ROUNDS = 20
KILL_CLIENTS = 3  # DDE clients at once, to keep the program saving most of the time
KILL_CAP = 200  # notes at most, below MAX1


def kill_pos(j: int) -> tuple[int, int]:
    return 10 + (j % 32) * 36, 10 + (j // 32) * 60


def kill_text(j: int) -> str:
    return f"kill note {j}\r\n付箋{j}"


def test_kill_during_saves_leaves_a_readable_data_file(configured):
    """Several DDE clients make notes while the whole prefix is killed at a
    random moment; every fifth round the kill falls into the save at exit.
    After each kill the data file on disk is complete and holds every note
    acknowledged before the kill plus at most those in flight, and the
    program reads it without a word. Meanwhile the file is read over and over
    from outside: a kill could fall on any of those moments, so every read
    must find a complete file."""
    h = configured
    seed_options(h, GENERAL={"MAX1": 256})
    seed = random.randrange(1 << 30)
    rng = random.Random(seed)
    saved: set[int] = set()  # notes (by number) the data file holds
    checked: set[int] = set()  # notes whose texts were read after a restart
    next_id = 0

    for rnd in range(KILL_ROUNDS + 1):
        where = f"round {rnd} (random seed {seed})"
        try:
            start_ready(h, timeout=120)
        except BenchError as e:
            pytest.fail(f"{where}: start after the kill: {e}")
        assert count(h) == len(saved), where
        windows = by_pos(h, texts=False)
        assert set(windows) == {kill_pos(j) for j in saved}, where
        assert {j: h.text(windows[kill_pos(j)].edit) for j in saved - checked} == \
            {j: kill_text(j) for j in saved - checked}, where
        checked = set(saved)
        if rnd == KILL_ROUNDS:
            break

        lock, halt = threading.Lock(), threading.Event()
        acked: set[int] = set()
        flying: dict[int, int] = {}  # client -> note being made
        ids = iter(range(next_id, 1 << 20))

        def client(c: int) -> None:
            while not halt.is_set():
                with lock:
                    if len(saved) + len(acked) + len(flying) >= KILL_CAP:
                        return
                    j = flying[c] = next(ids)
                try:
                    make_note(h, kill_text(j).split("\r\n"), *kill_pos(j))
                except (BenchError, AssertionError, ValueError):  # killed: the note may or may not be saved
                    return
                with lock:
                    acked.add(j)
                    del flying[c]

        dat_path = data_path(h, "kelup.dat")
        reads, torn = [0], []

        def reader() -> None:
            existed = dat_path.exists()
            while not halt.is_set():
                try:
                    parse_data_file(dat_path.read_bytes())
                except FileNotFoundError:
                    if existed:
                        torn.append("no data file")
                except DataFileError as e:
                    torn.append(str(e))
                else:
                    existed = True
                reads[0] += 1
                time.sleep(0.001)

        workers = [threading.Thread(target=client, args=(c,), daemon=True) for c in range(KILL_CLIENTS)]
        workers.append(threading.Thread(target=reader, daemon=True))
        for w in workers:
            w.start()
        at_exit = rnd % 5 == 4
        time.sleep(rng.uniform(0.3, 1.5))
        if at_exit:
            halt.set()
            for w in workers:
                w.join(120)
            h.close()
            time.sleep(rng.uniform(0.0, 0.3))
        halt.set()
        h.kill()
        for w in workers:
            w.join(120)
        assert not any(w.is_alive() for w in workers), where
        h.wineserver("-k")  # a server a late client may have started
        assert torn == [], f"{where}: {len(torn)} of {reads[0]} reads during the saves found: {torn[:5]}"
        next_id = next(ids)

        number = {kill_pos(j): j for j in range(next_id)}
        try:
            slots = read_data(h).notes
        except FileNotFoundError as e:
            # A program that never saved has no data file yet: right only
            # while no note was acknowledged.
            if saved | acked:
                pytest.fail(f"{where}: data file after the kill: {e}")
            slots = {}
        except DataFileError as e:
            pytest.fail(f"{where}: data file after the kill: {e}")
        held = {number.get(r.pos) for r in slots.values()}
        least, most = saved | acked, saved | acked | set(flying.values())
        assert least <= held <= most, f"{where}: the file holds {sorted(held, key=str)}, " \
            f"acknowledged were {sorted(least)}, in flight {sorted(most - least)}"
        assert list(slots) == list(range(len(held))), where
        saved = held

    # Every note's text, once more at the end.
    assert texts_by_pos(h) == {kill_pos(j): kill_text(j) for j in saved}


# ---- image notes kept as they are ------------------------------------------------------

def undo_record() -> bytes:
    return (pack_str("BackUp ") + struct.pack("<d", 0) + bytes(96) + pack_str("kelup.kd0") + struct.pack("<d", 0)
            + pack_str("") + pack_str("") + struct.pack("<dd", 0, 0) + pack_str("") + pack_str("") + pack_str(""))


def image_record(title: str, path: str) -> bytes:
    # Every int of the 84-byte part distinct, reserved fields included, so a
    # field written from the wrong place shows.
    fields = struct.pack("<21i", 40, 50, 320, 240, 7777, 1, 1, 1, 0, 14, 1010, 1, 1, 0, 0, 640, 480, 255, 1, 8888, 9999)
    return (pack_str("B_Kelup") + fields + pack_str("ＭＳ 明朝") + pack_str(title) + pack_str(path)
            + struct.pack("<d", 46400.5) + pack_str("C:\\sounds\\ring.wav") + pack_str("C:\\docs\\plan.txt"))


def test_image_notes_survive_saves_byte_for_byte(configured):
    h = configured
    images = [image_record("写真", "C:\\pics\\a.jpg"), image_record("", "C:\\pics\\b.bmp")]
    data = (struct.pack("<4i", 0, len(images), 0, 99000) + pack_str("0" * DEFAULT_SLOTS) + b"".join(images)
            + undo_record() + undo_record())
    h.win_to_linux(h.data_dir()).mkdir(parents=True, exist_ok=True)
    data_path(h, "kelup.dat").write_bytes(data)

    start_ready(h)
    assert h.message_boxes() == []
    make_note(h, ["保存のきっかけ"], 10, 10)   # a save with the image notes still unseen
    stop(h)

    saved = data_path(h, "kelup.dat").read_bytes()
    for record in images:
        assert record in saved
    assert saved.count(b"B_Kelup\0") == len(images)


# ---- texts of a data file of an older edition ------------------------------------------

@pytest.mark.parametrize("version", [330, 97151])
def test_inline_texts_of_an_old_data_file_outlive_restarts(configured, version):
    """The notes of an old file keep their texts once the file is saved in
    the current version, which takes each text from the note's own file."""
    h = configured
    old = [
        InlineNote(120, 140, ["old note A", "日本語の行"]),
        InlineNote(420, 260, ["old note B", "second line", "third line"], font="", size=18, color=0xFF),
        InlineNote(720, 380, []),  # empty
    ]
    pos = [(n.left, n.top) for n in old]
    shown = {p: "\r\n".join(n.lines) for p, n in zip(pos, old)}
    h.win_to_linux(h.data_dir()).mkdir(parents=True, exist_ok=True)
    data_path(h, "kelup.dat").write_bytes(old_data_file(version, old))
    # A text file left over in the folder is not the text of the empty note
    # that now takes its slot.
    data_path(h, "kelup2.kdt").write_bytes(b"{\\rtf1 stale text}")

    start_ready(h)
    assert texts_by_pos(h) == shown
    stop(h)

    for start in ("first", "second"):
        start_ready(h)
        assert texts_by_pos(h) == shown, f"texts after the {start} restart"
        dat = read_data(h)  # the current version, or DataFileError
        assert {s: (r.pos, r.data_name) for s, r in dat.notes.items()} == \
            {s: (p, f"kelup{s}.kdt") for s, p in enumerate(pos)}
        kdt = {s: text_file(h, s) for s in range(len(old))}
        assert {s: n.lines[0].encode() in kdt[s] for s, n in enumerate(old) if n.lines} == {0: True, 1: True}
        assert b"stale" not in kdt[2]
        stop(h)
        assert data_path(h, "kelup.bak").read_bytes() == data_path(h, "kelup.dat").read_bytes()
