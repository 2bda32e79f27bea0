"""Start and stop of Kelupon, end to end: first run, folders and settings
read at start, single instance, the hidden main window, and the shutdown
through WM_CLOSE and log-off."""

import pytest

from kelup_bench import (APP_CLASS, APP_TITLE, DIALOG_CLASS, MAIN_CLASS, MUTEX_NAME, WS_EX_APPWINDOW,
                         WS_EX_TOOLWINDOW, KltoolError, Q, wait_until)

WELCOME = "Welcome !  ケラップFE"
USE_NETWORK = "付箋紙の送受信機能を利用する"
NO_NETWORK = "付箋紙の送受信機能を利用しない"
SHUTDOWN_CONFIG_KEYS = ["EditorW", "EditorH", "EditorPanelH", "EditorShowPanelMode", "Colorx64", "FontName",
                        "FontSize", "Waku"]
STALE_BAK = b"stale backup"


def same_folder(a: str, b: str) -> bool:
    return a.rstrip("\\").lower() == b.rstrip("\\").lower()


def start_ready(h):
    h.start()
    return ready(h)


def ready(h):
    """Waits for the end of start-up, which must leave no message box behind."""
    h.wait_ready()
    assert h.query(Q.Ready) == 1
    assert h.message_boxes() == []
    return h


@pytest.fixture
def configured(host):
    """A host past its first run: config.ini with the default data folder."""
    h = host()
    h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "0", "Password": ""}})
    return h


# ---- first run ----------------------------------------------------------------

# [COMMON] UseNetwork keeps the program's "network off" flag: an older
# kelup.ini with UseNetwork=1 is taken over with NetworkOff=1 (see below).
@pytest.mark.parametrize("radio, message, network_off", [
    (USE_NETWORK, "ようこそ　ケラップx64へ", 0),
    (NO_NETWORK, "付箋紙の送受信機能を使用する場合はオプションの設定で変更できます", 1),
], ids=["use-network", "no-network"])
def test_first_run_welcome_then_message_then_ready(host, radio, message, network_off):
    h = host()
    h.start()
    dlg = h.wait_window(WELCOME, visible=True)
    h.control(dlg, USE_NETWORK), h.control(dlg, NO_NETWORK)  # both choices offered
    assert h.control(dlg, "OK")["enabled"] is False
    with pytest.raises(KltoolError, match="disabled"):
        h.click(WELCOME, "OK")
    assert not h.is_ready()

    h.check(WELCOME, radio)
    wait_until(lambda: h.control(h.wait_window(WELCOME), "OK")["enabled"], what="OK enabled after a choice")
    h.click(WELCOME, "OK")
    box = h.wait_window(APP_TITLE, DIALOG_CLASS, visible=True)
    assert message in h.message_text(box)
    assert not h.is_ready()
    h.click(APP_TITLE, "OK", DIALOG_CLASS)

    ready(h)
    assert h.find_window(WELCOME) is None
    common = h.read_ini(h.config_ini)["COMMON"]
    save = common["SavePath"]
    assert same_folder(save, h.folders()["documents"] + "\\RAVODEREV")
    assert h.win_to_linux(save).is_dir()
    assert h.win_to_linux(save.rstrip("\\") + "\\Log").is_dir()
    assert (h.query(Q.NetworkOff), common["UseNetwork"]) == (network_off, str(network_off))


def test_exit_asked_for_during_the_welcome_waits_for_the_start(host):
    h = host()
    h.start()
    h.wait_window(WELCOME, visible=True)
    h.close()
    h.check(WELCOME, NO_NETWORK)
    wait_until(lambda: h.control(h.wait_window(WELCOME), "OK")["enabled"], what="OK enabled after a choice")
    h.click(WELCOME, "OK")
    h.wait_window(APP_TITLE, DIALOG_CLASS, visible=True)
    h.click(APP_TITLE, "OK", DIALOG_CLASS)
    # The start finishes, then the close runs the usual shutdown.
    assert h.wait_exit(60) == 0
    assert h.read_ini(h.config_ini)["COMMON"]["UseNetwork"] == "1"
    assert h.read_ini(h.kelup_ini())["Config"]["EditorW"]


# ---- folders and older settings ------------------------------------------------

@pytest.mark.parametrize("save_path", ["", "C:\\KelupData\\"], ids=["default", "own-folder"])
def test_data_folder_comes_from_config(host, save_path):
    h = host()
    h.seed_config({"COMMON": {"SavePath": save_path, "UseNetwork": "0"}})
    data = save_path or h.exe_dir + "data\\"
    h.seed_kelup_ini({"GENERAL": {"MAX1": "7"}})  # read from there: proves the folder is used

    start_ready(h)
    assert h.find_window(WELCOME) is None
    assert h.query(Q.MaxTextNotes) == 7
    assert h.win_to_linux(data + "Log").is_dir()
    assert h.read_ini(h.config_ini)["COMMON"]["SavePath"] == save_path


def test_older_settings_with_network_are_taken_over(host):
    h = host()
    old_data = "C:\\OldKelup\\"
    h.win_to_linux("C:\\").joinpath("OldKelup").mkdir()
    h.write_ini(h.old_kelup_ini, {"Option": {"UseNetwork": "1"}, "COMMON": {"Path98": old_data}})

    start_ready(h)
    assert h.find_window(WELCOME) is None
    assert h.query(Q.NetworkOff) == 1
    common = h.read_ini(h.config_ini)["COMMON"]
    assert same_folder(common["SavePath"], old_data)
    assert common["UseNetwork"] == "1"
    assert not h.exists(h.old_kelup_ini)


def test_older_settings_without_network_still_welcome(host):
    h = host()
    h.win_to_linux("C:\\").joinpath("OldKelup").mkdir()
    h.write_ini(h.old_kelup_ini, {"Option": {"UseNetwork": "0"}, "COMMON": {"Path98": "C:\\OldKelup\\"}})
    h.start()
    h.wait_window(WELCOME, visible=True)


# ---- settings read at start ------------------------------------------------------

@pytest.mark.parametrize("kelup_ini, expected", [
    (None, {Q.MaxTextNotes: 99, Q.MaxImageNotes: 20, Q.MouseL: 9, Q.MouseR: 0}),
    ({"GENERAL": {"MAX1": "4", "MAX2": "300"}}, {Q.MaxTextNotes: 99, Q.MaxImageNotes: 20}),
    ({"GENERAL": {"MAX1": "300", "MAX2": "4"}}, {Q.MaxTextNotes: 99, Q.MaxImageNotes: 20}),
    ({"GENERAL": {"MAX1": "5", "MAX2": "256"}}, {Q.MaxTextNotes: 5, Q.MaxImageNotes: 256, Q.MouseL: 9, Q.MouseR: 0}),
    ({"GENERAL": {"MAX1": "256", "MAX2": "5"}}, {Q.MaxTextNotes: 256, Q.MaxImageNotes: 5}),
    ({"Option": {"Mouse": "0"}}, {Q.MouseL: 0, Q.MouseR: 1}),
    ({"Option": {"Mouse": "1"}}, {Q.MouseL: 1, Q.MouseR: 0}),
], ids=["no-file", "max-4-300", "max-300-4", "max-5-256", "max-256-5", "mouse-0", "mouse-1"])
def test_kelup_ini_values_at_start(configured, kelup_ini, expected):
    h = configured
    if kelup_ini is not None:
        h.seed_kelup_ini(kelup_ini)
    start_ready(h)
    assert {q: h.query(q) for q in expected} == expected


# ---- windows and single instance ---------------------------------------------------

@pytest.mark.parametrize("show, visible, exstyle_bit", [
    ("1", True, WS_EX_APPWINDOW),
    ("0", False, WS_EX_TOOLWINDOW),
], ids=["taskbar", "no-taskbar"])
def test_main_window_and_application_window(configured, show, visible, exstyle_bit):
    h = configured
    h.seed_kelup_ini({"Config": {"ShowTaskBar": show}})
    start_ready(h)

    [main] = h.windows(cls=MAIN_CLASS, children=False)
    assert (main["title"], main["visible"], main["rect"][:2]) == (APP_TITLE, False, [-220, -160])
    assert h.mutex_exists(MUTEX_NAME)

    [app] = h.windows(cls=APP_CLASS, children=False)
    assert app["title"] == APP_TITLE
    assert app["visible"] is visible
    assert app["exstyle"] & exstyle_bit
    assert h.query(Q.ShowTaskBar) == int(show)


def test_second_start_ends_silently(configured):
    h = start_ready(configured)
    [first] = h.windows(cls=MAIN_CLASS, children=False)

    second = h.spawn()
    second.wait(60)
    assert h.running
    assert [w["hwnd"] for w in h.windows(cls=MAIN_CLASS, children=False)] == [first["hwnd"]]
    assert h.message_boxes() == []
    assert h.query(Q.Ready) == 1


def test_start_ends_silently_while_another_holds_the_mutex(configured):
    h = configured
    h.hold_mutex(MUTEX_NAME)
    h.start()
    h.wait_exit(60)  # a message box would keep it running
    assert h.windows(cls=MAIN_CLASS) == []


# ---- shutdown ---------------------------------------------------------------------

@pytest.mark.parametrize("how", ["close", "end_session"])
def test_shutdown_writes_settings_and_backup(configured, how):
    h = configured
    data = h.data_dir()
    dat, bak = h.win_to_linux(data + "kelup.dat"), h.win_to_linux(data + "kelup.bak")
    ini_path = h.win_to_linux(h.kelup_ini())
    # A first session leaves the program's own kelup.dat (when it writes one);
    # a stale backup and no kelup.ini show what the second shutdown writes.
    start_ready(h)
    h.close()
    h.wait_exit(60)
    if dat.exists():
        bak.write_bytes(STALE_BAK)
    ini_path.unlink(missing_ok=True)

    start_ready(h)
    getattr(h, how)()
    h.wait_exit(60)

    ini = h.read_ini(h.kelup_ini())
    assert ini is not None, "kelup.ini not written"
    assert [k for k in SHUTDOWN_CONFIG_KEYS if k not in ini.get("Config", {})] == []
    assert "USETIME" in ini.get("SPDATE", {})
    if dat.exists():
        assert bak.exists(), "kelup.bak not written"
        assert bak.read_bytes() == dat.read_bytes()
