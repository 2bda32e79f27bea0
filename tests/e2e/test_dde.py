"""The DDE commands other programs send to Kelupon (service "Kelupon", topic
"DdeServerConv1"), end to end through kltool's DDE client: notes made by
"DDEMAKEKELUP" with their text and place, "MakeKelupN", the date update, and
command words that are not commands."""

import pytest

from kelup_bench import Q
from test_menu import ID_E_btnOk, close_editor
from test_store import configured, count, dde, notes, read_data, start_ready  # noqa: F401 (fixture)


def cmd(*lines: str) -> str:
    return "\r\n".join(lines)


# Each case: the command text, then the note it makes as (left, top, text),
# None when it makes none; a left of None: the place is not checked.
@pytest.mark.parametrize("command, note", [
    (cmd("DDEMAKEKELUP", "2;100;50;", "買い物", "牛乳"), (100, 50, "買い物\r\n牛乳")),
    (cmd("DDEMAKEKELUP", "0;10;10;"), (10, 10, "")),
    (cmd("DDEMAKEKELUP", "1;10;10", "一行"), (10, 0, "一行")),
    (cmd("DDEMAKEKELUP", "3;40;60;", "一", "二"), (40, 60, "一\r\n二")),
    (cmd("DDEMAKEKELUP", "1;40;60;", "一", "二"), (40, 60, "一")),
    (cmd("DDEMAKEKELUP", "x;40;60;", "一"), (40, 60, "")),
    (cmd("DDEMAKEKELUP", "2;70;80;残り", "a", "b"), (70, 80, "a\r\nb")),
    ("DDEMAKEKELUP\n2;30;40;\nLF\nonly", (30, 40, "LF\r\nonly")),
    ("DDEMAKEKELUP\r2;30;40;\rCR\ronly", (30, 40, "CR\r\nonly")),
    ("DDEMAKEKELUP\r\n2;30;40;\r\nlast\r\n", (30, 40, "last")),
    ("MakeKelupN", (None, None, "")),
    ("ddemakekelup\r\n1;10;10;\r\nx", None),
    ("dateup", None),
], ids=["worked-example", "no-lines", "no-final-semicolon", "fewer-lines", "more-lines", "count-not-number",
        "after-third-field", "lf", "cr", "final-break", "MakeKelupN", "other-case-make", "other-case-dateup"])
def test_command_makes_note(configured, command, note):
    h = start_ready(configured)
    dde(h, command)
    if command == "MakeKelupN":
        # The new note is written in the compose editor, opened once the
        # conversation has been answered.
        close_editor(h, ID_E_btnOk)
    found = [(n.left, n.top, n.text) for n in notes(h)]
    if note and note[0] is None:
        found = [(None, None, text) for _, _, text in found]
    assert found == ([note] if note else [])
    assert count(h) == len(found)
    assert h.message_boxes() == []
    if note:  # a new note is saved at once
        assert read_data(h).text_count == 1


def test_each_make_command_starts_from_no_lines(configured):
    h = start_ready(configured)
    dde(h, cmd("DDEMAKEKELUP", "2;10;10;", "first a", "first b"))
    dde(h, cmd("DDEMAKEKELUP", "2;300;300;", "second"))
    dde(h, cmd("DDEMAKEKELUP", "0;600;300;"))
    assert {(n.left, n.top): n.text for n in notes(h)} == {
        (10, 10): "first a\r\nfirst b", (300, 300): "second", (600, 300): ""}


@pytest.mark.parametrize("command, updates", [
    ("DateUp", 1),
    ("DateUp\r\nignored\r\nlines", 1),
    ("DateUpAndAllShow", 1),
    ("dateup", 0),
    ("DATEUP", 0),
], ids=["DateUp", "DateUp-with-lines", "DateUpAndAllShow", "lower-case", "upper-case"])
def test_date_update_commands(configured, command, updates):
    h = start_ready(configured)
    before = h.query(Q.DateUpdates)
    dde(h, command)
    assert (h.query(Q.DateUpdates) - before, count(h)) == (updates, 0)
