"""Writing notes in the compose editor, end to end: a new note from the tray
menu typed in the editor and shown, cancelled without a trace, the close
question, an existing note edited, and a schedule countdown inserted."""

from __future__ import annotations

from datetime import date

import pytest

from kelup_bench import BenchError, Q, wait_until
from test_store import (TEXT_NOTE_CLASS, by_pos, configured, count, data_path, make_note, notes,  # noqa: F401
                        read_data, start_ready, stop)

EDITOR_CLASS = "TInputEditer"
MENU_CLASS = "#32768"
DIALOG_CLASS = "#32770"
TRAY_CALLBACK = 0x04DE
WM_RBUTTONDOWN = 0x0204
WM_CLOSE = 0x0010
ID_E_btnOk = 6080      # "付箋紙へ表示"
ID_E_btnTrash = 6081   # "ｷｬﾝｾﾙ"
ID_E_btnRemove = 6082  # "はがす"
ID_E_LimitZen = 6059   # "予定日挿入(全)"
ID_E_Memo1 = 6098
ID_String1 = 3010      # a note's "エディタ編集"
CLOSE_QUESTION = "エディタの文章には変更が加えられていますが，\r\n変更を付箋紙に反映させますか？"
ZEN = str.maketrans("0123456789", "０１２３４５６７８９")


def rtf_has(rtf: bytes, text: str) -> bool:
    """The text in an RTF file as the rich edit writes it: code page 932
    bytes, as such or as \\'xx escapes, or \\uN escapes."""
    raw = text.encode("cp932")
    escaped = "".join(f"\\'{b:02x}" for b in raw).encode("ascii")
    uni = "".join(f"\\u{ord(c)}" for c in text).encode("ascii")
    flat = rtf.replace(b"\r\n", b"")
    return raw in flat or escaped in flat.lower() or all(f"\\u{ord(c)}".encode() in flat for c in text) or uni in flat


def one_line(text: str) -> str:
    return text.replace("\r\n", "\n").replace("\r", "\n")


def editor(h) -> dict:
    return h.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)


def editor_closed(h) -> None:
    """The editor is made once and hidden between uses."""
    wait_until(lambda: not h.windows(cls=EDITOR_CLASS, visible=True), 30, what="the editor closed")


def memo(h, ed: dict) -> dict:
    return next(c for c in h.controls(ed) if c["id"] == ID_E_Memo1)


def new_note_from_tray_menu(h) -> dict:
    """The tray icon's menu, its first entry "付箋紙の新規作成・送信" clicked."""
    h.send(TRAY_CALLBACK, 1, WM_RBUTTONDOWN, post=True)
    menu = h.wait_window(cls=MENU_CLASS, visible=True)
    left, top, _, _ = menu["rect"]
    h.mouse_click(left + 40, top + 12)
    return editor(h)


def type_keys(h, text: str) -> None:
    """Keyboard input to the focused window, a line break as Enter."""
    h.kl("type", "--text", text.replace("\n", "\\n"))


def type_into(h, ed: dict, text: str) -> None:
    def typed() -> str:
        return one_line(h.text(memo(h, ed)["hwnd"]))
    for attempt in range(2):
        h.focus(ed)
        h.mouse_click_window(memo(h, ed))
        type_keys(h, text)
        try:
            wait_until(lambda: typed() == one_line(text), 15 if attempt == 0 else 30,
                       what="the typed text in the editor")
            return
        except BenchError:
            # On a busy machine the keys can reach the desktop before the
            # editor has the focus: typed again only when none arrived.
            if attempt == 1 or typed():
                raise


def press(h, ed: dict, cmd: int) -> None:
    """A toolbar button of the editor, as its click reaches the window."""
    h.kl("command", "--hwnd", ed["hwnd"], "--id", cmd)


def test_new_note_typed_in_the_editor_is_shown_saved_and_kept(configured):
    h = start_ready(configured)
    ed = new_note_from_tray_menu(h)
    # The note exists while it is being written; the editor starts empty.
    assert count(h) == 1
    assert h.text(memo(h, ed)["hwnd"]) == ""
    type_into(h, ed, "今日の買い物\n牛乳とパン")
    press(h, ed, ID_E_btnOk)
    editor_closed(h)
    wait_until(lambda: [n.text for n in notes(h)] == ["今日の買い物\r\n牛乳とパン"], 30, what="the note's text")
    assert read_data(h).text_count == 1
    rtf = data_path(h, "kelup0.kdt").read_bytes()
    assert rtf.startswith(b"{\\rtf") and rtf_has(rtf, "牛乳とパン")
    stop(h)
    start_ready(h)
    assert [n.text for n in notes(h)] == ["今日の買い物\r\n牛乳とパン"]
    stop(h)


@pytest.mark.parametrize("how", ["cancel", "close-key", "peel"])
def test_new_note_left_without_text_leaves_nothing(configured, how):
    h = start_ready(configured)
    ed = new_note_from_tray_menu(h)
    type_into(h, ed, "消える文")
    if how == "cancel":
        press(h, ed, ID_E_btnTrash)
    elif how == "peel":
        press(h, ed, ID_E_btnRemove)
    else:
        h.key("ctrl+q")   # "閉じる(&X)"
    editor_closed(h)
    wait_until(lambda: notes(h, texts=False) == [], 30, what="no note")
    assert count(h) == 0
    assert h.message_boxes() == []
    stop(h)
    assert read_data(h).text_count == 0
    assert not data_path(h, "kelup0.kdt").exists()


def test_close_box_asks_cancel_keeps_editing_yes_applies(configured):
    h = start_ready(configured)
    ed = new_note_from_tray_menu(h)
    type_into(h, ed, "問いかけ")
    for answer in ("キャンセル", "はい"):
        h.send(WM_CLOSE, hwnd=ed["hwnd"], post=True)
        box = h.wait_window(cls=DIALOG_CLASS, visible=True)
        assert one_line(h.message_text(box)) == one_line(CLOSE_QUESTION)
        h.click(None, answer, hwnd=box["hwnd"])
        if answer == "キャンセル":
            h.wait_gone(cls=DIALOG_CLASS)
            assert h.windows(cls=EDITOR_CLASS, visible=True)
    editor_closed(h)
    wait_until(lambda: [n.text for n in notes(h)] == ["問いかけ"], 30, what="the applied text")
    stop(h)


def test_editing_a_note_keeps_the_old_text_as_backup(configured):
    h = start_ready(configured)
    make_note(h, ["元の文"], 200, 200)
    note = by_pos(h)[(200, 200)]
    h.kl("command", "--hwnd", note.hwnd, "--id", ID_String1)   # posted: the editor is modal
    ed = editor(h)
    assert h.text(memo(h, ed)["hwnd"]) == "元の文"
    h.focus(ed)
    h.mouse_click_window(memo(h, ed))
    h.key("ctrl+End")
    type_keys(h, "に追記")
    wait_until(lambda: h.text(memo(h, ed)["hwnd"]) == "元の文に追記", 30, what="the typed text")
    press(h, ed, ID_E_btnOk)
    editor_closed(h)
    wait_until(lambda: by_pos(h)[(200, 200)].text == "元の文に追記", 30, what="the edited note")
    # The backup holds the text as it was before the edit.
    backup = data_path(h, "Backup/kelup0.kdt").read_bytes()
    assert rtf_has(backup, "元の文") and not rtf_has(backup, "追記")
    assert rtf_has(data_path(h, "kelup0.kdt").read_bytes(), "元の文に追記")
    stop(h)
    start_ready(h)
    assert by_pos(h)[(200, 200)].text == "元の文に追記"
    stop(h)


def test_schedule_countdown_in_full_width(configured):
    h = start_ready(configured)
    ed = new_note_from_tray_menu(h)
    press(h, ed, ID_E_LimitZen)
    dlg = h.wait_window("予定日の挿入", visible=True)
    picker = next(c for c in h.controls(dlg) if c["class"].lower() == "sysdatetimepick32")
    lst = next(c for c in h.controls(dlg) if c["class"].lower() == "listbox")
    # A year ahead: the year field is the first of the picker's.
    h.focus(dlg)
    h.mouse_click_window(picker, x=12)
    h.key("Up")
    # "あと・・・日", the second phrasing, double-clicked.
    left, top, right, bottom = lst["rect"]
    item_height = 16
    h.mouse_click(left + 30, top + item_height + item_height // 2, repeat=2)
    h.wait_gone("予定日の挿入")
    today = date.today()
    days = (date(today.year + 1, today.month, min(today.day, 28 if today.month == 2 else today.day)) - today).days
    text = h.text(memo(h, ed)["hwnd"])
    assert text.startswith("あと％％") and text.endswith("％％日"), text
    press(h, ed, ID_E_btnOk)
    editor_closed(h)
    wait_until(lambda: [n.text for n in notes(h)] == [f"あと{str(days).translate(ZEN)}日"], 30,
               what="the full-width day count")
    stop(h)
