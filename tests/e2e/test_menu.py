"""The notification-area icon, the main menu and the hot keys, end to end:
the icon's click actions (driven by its callback message to the main
window), the menu opening at a right click, a note made from the clipboard's
text, and the Ctrl+Alt hot keys pressed as real X input."""

import pytest

from kelup_bench import APP_TITLE, DIALOG_CLASS, KelupHost, Q, wait_until

TRAY_CALLBACK = 0x04DE
WM_LBUTTONDOWN = 0x0201
WM_LBUTTONDBLCLK = 0x0203
WM_RBUTTONDOWN = 0x0204
WM_CANCELMODE = 0x001F
MENU_CLASS = "#32768"
WINE_TRAY_CLASS = "__winex11_standalone_tray"
TEXT_NOTE_CLASS = "TKELUPSHI"
RICH_EDIT_CLASS = "richedit50w"
ID_M_Clip = 1011
HOTKEY_FAILED = "ホットキーの登録に失敗しました"


@pytest.fixture
def configured(host):
    """A host past its first run, no network."""
    h = host()
    h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "1", "Password": ""}})
    return h


def start_ready(h: KelupHost) -> KelupHost:
    h.start()
    h.wait_ready()
    assert h.message_boxes() == []
    return h


EDITOR_CLASS = "TInputEditer"
ID_E_btnOk = 6080   # the editor's "付箋紙へ表示"


def close_editor(h: KelupHost, command: int) -> None:
    ed = h.wait_window(cls=EDITOR_CLASS, visible=True, timeout=60)
    h.kl("command", "--hwnd", ed["hwnd"], "--id", command)
    # Made once and hidden between uses.
    wait_until(lambda: not h.windows(cls=EDITOR_CLASS, visible=True), 30, what="the editor closed")


def note_texts(h: KelupHost) -> list[str]:
    texts = []
    for w in h.windows(cls=TEXT_NOTE_CLASS, visible=True):
        edit = next(c for c in h.controls(w) if c["class"].lower() == RICH_EDIT_CLASS)
        texts.append(h.text(edit["hwnd"]))
    return texts


# The callback is sent, not posted: the click has been handled when the send
# returns, so the count tells what it did.
@pytest.mark.parametrize("mouse_l, mouse_r, click, notes", [
    (9, 0, WM_LBUTTONDBLCLK, 1),
    (9, 0, WM_LBUTTONDOWN, 0),
    (1, 0, WM_LBUTTONDBLCLK, 0),
    (9, 1, WM_RBUTTONDOWN, 1),
], ids=["double-click-makes-note", "left-click-only-to-front", "double-click-needs-mousel-9",
        "right-click-mouser-1"])
def test_tray_click_actions(configured, mouse_l, mouse_r, click, notes):
    h = configured
    h.seed_kelup_ini({"Option": {"MouseL": str(mouse_l), "MouseR": str(mouse_r)}})
    start_ready(h)
    assert (h.query(Q.MouseL), h.query(Q.MouseR)) == (mouse_l, mouse_r)
    if notes:
        # A new note opens the compose editor, which is modal: posted, and
        # the note kept with "付箋紙へ表示".
        h.send(TRAY_CALLBACK, 1, click, post=True)
        close_editor(h, ID_E_btnOk)
    else:
        h.send(TRAY_CALLBACK, 1, click)
    assert h.query(Q.TextNoteCount) == notes
    assert len(h.windows(cls=TEXT_NOTE_CLASS, visible=True, children=False)) == notes
    assert h.message_boxes() == []


def test_right_click_opens_the_main_menu(configured):
    h = start_ready(configured)
    # Posted: the menu's own loop runs inside the handler until it closes.
    h.send(TRAY_CALLBACK, 1, WM_RBUTTONDOWN, post=True)
    h.wait_window(cls=MENU_CLASS, visible=True)
    # The program still answers while its menu is open, and made nothing.
    assert h.query(Q.TextNoteCount) == 0
    h.send(WM_CANCELMODE, post=True)
    h.wait_gone(cls=MENU_CLASS)
    assert h.query(Q.TextNoteCount) == 0


def test_note_from_the_clipboard_text(configured):
    h = start_ready(configured)
    h.kl("clip-text", "--text", "クリップボードのメモ 42")
    h.command(ID_M_Clip, send=True)
    assert h.query(Q.TextNoteCount) == 1
    assert [t.strip() for t in note_texts(h)] == ["クリップボードのメモ 42"]


# HotKey1 makes a text note with Ctrl+Alt and its letter. A second key that
# cannot be had (the same key again, or a character that is no key) is
# reported once at start and the first one still works.
@pytest.mark.parametrize("hot1, hot2, failures", [
    ("A", "なし", 0),
    ("a", "A", 1),
    ("A", ",", 1),
], ids=["letter", "same-key-twice", "no-such-key"])
def test_hot_key_makes_a_text_note(configured, hot1, hot2, failures):
    h = configured
    h.seed_kelup_ini({"Option": {"HotKey1": hot1, "HotKey2": hot2}})
    h.start()
    for _ in range(failures):
        box = h.wait_window(APP_TITLE, DIALOG_CLASS, visible=True)
        assert h.message_text(box) == HOTKEY_FAILED
        h.click(None, "OK", hwnd=box["hwnd"])
    h.wait_ready()
    assert h.message_boxes() == []
    assert h.query(Q.TextNoteCount) == 0
    # Wine sees keys only while one of its windows has the X focus; the
    # system tray that holds the program's icon is one.
    h.focus(h.wait_window(cls=WINE_TRAY_CLASS, visible=True))
    h.key("ctrl+alt+a")
    close_editor(h, ID_E_btnOk)
    wait_until(lambda: h.query(Q.TextNoteCount) == 1, 30, what="a note made by the hot key")
    assert h.query(Q.ImageNoteCount) == 0
