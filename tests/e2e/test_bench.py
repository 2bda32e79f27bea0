"""Self-tests of the bench (kltool.exe and kelup_bench.py), against the small
stand-in program in fixtures/ so they run without Kelupon itself."""

import pytest

from kelup_bench import DIALOG_CLASS, BenchError, KltoolError

WELCOME = "ようこそ スタンドイン"
TITLE = "ケラップx64"
PANEL = "スタンドイン"


def test_prefix_folders_match_what_programs_see(standin_host):
    h = standin_host()
    seen = h.folders()
    assert seen["acp"] == 932
    assert seen["appdata"].lower() == h.appdata.lower()
    assert seen["documents"].lower() == h.documents.lower()
    assert h.win_to_linux(seen["documents"]).is_dir()
    assert h.win_to_linux(h.exe_path).is_file()
    assert h.linux_to_win(h.win_to_linux(h.exe_path)) == h.exe_path
    # Wine finds files without case; so must the bench
    assert h.win_to_linux(h.exe_path.upper()) == h.win_to_linux(h.exe_path)


@pytest.mark.parametrize("radio, message, choice", [
    ("使う", "ようこそ　スタンドインへ", "1"),
    ("使わない", "あとで変更できます", "2"),
], ids=["first", "second"])
def test_modal_dialog_then_message_box(standin_host, radio, message, choice):
    h = standin_host()
    h.start("--welcome")
    dlg = h.wait_window(WELCOME, visible=True)
    assert h.control(dlg, "OK")["enabled"] is False
    with pytest.raises(KltoolError, match="disabled"):
        h.click(WELCOME, "OK")
    assert not h.is_ready()

    assert h.check(WELCOME, radio)["checked"] is True
    h.click(WELCOME, "OK")
    box = h.wait_window(TITLE, DIALOG_CLASS, visible=True)
    assert h.message_text(box) == message
    h.click(TITLE, "OK", DIALOG_CLASS)
    h.wait_ready()
    assert h.message_boxes() == []

    h.close()
    assert h.wait_exit() == 0
    ini = h.read_ini(h.exe_dir + "standin.ini")
    assert ini["exit"]["CHOICE"] == choice
    assert ini["Exit"]["Title"] == TITLE  # written as code page 932 by the profile API


@pytest.mark.parametrize("how", ["close", "end_session"])
def test_seeded_ini_and_exit(standin_host, how):
    h = standin_host()
    h.write_ini(h.exe_dir + "standin.ini", {"Query": {"100": "42", "101": "-7"}, "日本語": {"キー": "値"}})
    h.start()
    h.wait_ready()
    assert [h.query(100), h.query(101), h.query(102)] == [42, -7, -1]
    getattr(h, how)()
    h.wait_exit()
    ini = h.read_ini(h.exe_dir + "standin.ini")
    assert ini["Exit"]["How"] == {"close": "close", "end_session": "endsession"}[how]
    assert ini["日本語"]["キー"] == "値"


def test_mouse_keyboard_and_screenshot(standin_host, tmp_path):
    h = standin_host()
    h.start()
    h.wait_ready()
    panel = h.wait_window(PANEL, visible=True)
    h.mouse_click_window(h.control(panel, "押す"))
    assert h.query(20) == 1

    edit = next(c for c in h.controls(panel) if c["class"] == "Edit")
    h.focus(panel)
    h.mouse_click_window(edit)
    h.type_text("abc")
    h.key("Home", "x")
    assert h.text(edit["hwnd"]) == "xabc"

    shot = h.screenshot(tmp_path / "screen.png")
    assert shot.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"


def test_hung_program_times_out_and_kill_ends_it(standin_host):
    h = standin_host()
    proc = h.start("--hang")
    h.wait_ready()
    with pytest.raises(KltoolError) as e:
        h.query(0, timeout=1)
    assert e.value.code == 3
    h.kill()
    assert proc.poll() is not None


def test_named_mutex_is_seen_across_processes(standin_host):
    h = standin_host()
    assert not h.mutex_exists("kelupBenchMX")
    holder = h.hold_mutex("kelupBenchMX")
    assert h.mutex_exists("kelupBenchMX")
    holder.kill()
    holder.wait()
    assert not h.mutex_exists("kelupBenchMX")


def test_cleanup_ends_processes_and_removes_prefix(standin_host):
    h = standin_host()
    with h:
        proc = h.start()
        h.wait_ready()
        holder = h.desktop_holder
    assert proc.poll() is not None
    assert holder is not None and holder.poll() is not None
    assert not h.tmp.exists()


def test_desktop_is_up_before_the_program_and_stays_across_restarts(standin_host):
    h = standin_host()
    h.start()
    h.wait_ready()
    holder = h.desktop_holder
    assert holder is not None and holder.poll() is None
    h.close()
    h.wait_exit()
    h.start()
    h.wait_ready()
    assert h.desktop_holder is holder and holder.poll() is None


def test_a_silent_exit_at_the_first_window_is_started_once_more(standin_host):
    h = standin_host()
    h.start("--fail-first")
    h.wait_ready()
    assert h.running
    h.close()
    h.wait_exit()
    # A program that always ends so is reported, after one more try.
    h.start("--fail-always")
    with pytest.raises(BenchError, match="exit 1"):
        h.wait_ready(20)

