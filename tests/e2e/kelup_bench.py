"""End-to-end bench for Kelupon: runs the program in a Wine prefix of its own
and drives it from outside, through kltool.exe (window messages, inside the
prefix) and xdotool (real mouse and keyboard on the X display).

    with KelupHost(exe, kltool) as h:
        h.seed_config({"COMMON": {"SavePath": "", "UseNetwork": "0"}})
        h.start()
        h.wait_ready()
        assert h.query(Q.Ready) == 1
        h.close()
        h.wait_exit()
        ini = h.read_ini(h.kelup_ini())

Windows paths are plain strings with backslashes ("C:\\Program Files\\...");
Linux paths are pathlib.Path. INI files are code page 932 with CRLF, as the
program writes them.
"""

from __future__ import annotations

import atexit
import enum
import getpass
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from collections.abc import Iterator, Mapping, MutableMapping
from pathlib import Path, PureWindowsPath

SRC = Path(os.environ.get("KELUP_SRC") or Path(__file__).resolve().parents[2])
SCRIPTS = SRC / "scripts"
WINE64 = os.environ.get("WINE64", "/usr/lib/wine/wine64")
_wineserver_beside = Path(WINE64).with_name("wineserver")
WINESERVER = str(_wineserver_beside) if _wineserver_beside.exists() else (shutil.which("wineserver") or "wineserver")

SERVER_LINGER_S = 600

MAIN_CLASS = "RARADAVE"
APP_CLASS = "KeluponApp"
APP_TITLE = "ケラップx64"
DIALOG_CLASS = "#32770"
MSGBOX_TEXT_ID = 0xFFFF  # the static control holding a message box's text
MUTEX_NAME = "hhhKelupMX"

WS_EX_TOOLWINDOW = 0x00000080
WS_EX_APPWINDOW = 0x00040000


class Q(enum.IntEnum):
    """wParam of the query message (WM_APP+0x100) to the main window."""

    Ready = 0
    MaxTextNotes = 1
    MaxImageNotes = 2
    TextNoteCount = 3
    ImageNoteCount = 4
    MouseL = 5
    MouseR = 6
    NetworkOff = 7
    NetDisabled = 8
    BusyFG = 9
    TrayIconShown = 10
    OsLevel = 11
    TimerIntervalMs = 12
    DateUpdates = 13
    CtrlHeld = 14
    ShowTaskBar = 15
    NativeReceived = 16
    IpmReceived = 17
    SaveBench = 18  # saves 20 times; wall microseconds
    SoundsPlayed = 19
    Blinks = 20
    DateUpBench = 21  # one date update a day later; CPU microseconds
    DateUpBenchWall = 22
    EditorReadyBench = 23  # new-note command to editor ready, microseconds
    EditorApplyBench = 24  # 付箋紙へ表示 to note shown and saved
    BareDialogBench = 25   # a bare dialog with a rich edit, made and ready
    PressedAt = 26         # clock of the last 付箋紙へ表示 or send command, microseconds
    ReceivedShownAt = 27   # clock of the last arrived note shown
    ClockNow = 28          # the program's clock now (the system's monotonic clock)


class BenchError(RuntimeError):
    pass


class KltoolError(BenchError):
    def __init__(self, args: list[str], code: int, stderr: str):
        self.code = code
        self.stderr = stderr.strip()
        super().__init__(f"kltool {' '.join(args)} -> exit {code}: {self.stderr}")


# ---- INI files --------------------------------------------------------------


class CaseInsensitiveDict(MutableMapping):
    """Keys compare without case, as GetPrivateProfileString does; the first
    spelling seen is kept for iteration."""

    def __init__(self, data: Mapping | None = None):
        self._d: dict[str, tuple[str, object]] = {}
        if data:
            self.update(data)

    def __getitem__(self, key: str):
        return self._d[key.lower()][1]

    def __setitem__(self, key: str, value) -> None:
        old = self._d.get(key.lower())
        self._d[key.lower()] = (old[0] if old else key, value)

    def __delitem__(self, key: str) -> None:
        del self._d[key.lower()]

    def __iter__(self) -> Iterator[str]:
        return (k for k, _ in self._d.values())

    def __len__(self) -> int:
        return len(self._d)

    def __repr__(self) -> str:
        return repr({k: v for k, v in self._d.values()})


Ini = CaseInsensitiveDict  # of CaseInsensitiveDict of str


def decode_ini(data: bytes) -> str:
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8")
    return data.decode("cp932")


def parse_ini(text: str) -> Ini:
    """Sections and keys the way the profile API reads them: names and values
    trimmed, ';' lines ignored, the first of duplicate keys wins."""
    ini = Ini()
    section = None
    for raw in text.splitlines():
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            name = line[1:].split("]", 1)[0].strip()
            section = ini.get(name)
            if section is None:
                section = ini[name] = CaseInsensitiveDict()
            continue
        if section is None or "=" not in line:
            continue
        key, value = line.split("=", 1)
        key = key.strip()
        if key not in section:
            section[key] = value.strip()
    return ini


def format_ini(content: Mapping | str) -> str:
    if isinstance(content, str):
        return content
    lines = []
    for section, keys in content.items():
        lines.append(f"[{section}]")
        lines.extend(f"{k}={v}" for k, v in keys.items())
        lines.append("")
    return "\n".join(lines)


def encode_ini(content: Mapping | str) -> bytes:
    text = format_ini(content).replace("\r\n", "\n").replace("\n", "\r\n")
    return text.encode("cp932")


# ---- the X display ----------------------------------------------------------

_xvfb: subprocess.Popen | None = None


def _display_works(display: str) -> bool:
    env = dict(os.environ, DISPLAY=display)
    return subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def ensure_display() -> str:
    """The DISPLAY to use: the one set if it answers, else an Xvfb of our own
    (a free display number chosen by the server; stopped at exit)."""
    global _xvfb
    display = os.environ.get("DISPLAY")
    if display and _display_works(display):
        return display
    if _xvfb is None or _xvfb.poll() is not None:
        read_fd, write_fd = os.pipe()
        _xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise BenchError("Xvfb did not start")
        os.environ["DISPLAY"] = f":{number}"
        atexit.register(_stop_xvfb)
    return os.environ["DISPLAY"]


def _stop_xvfb() -> None:
    if _xvfb is not None and _xvfb.poll() is None:
        _xvfb.send_signal(signal.SIGTERM)
        try:
            _xvfb.wait(5)
        except subprocess.TimeoutExpired:
            _xvfb.kill()


# ---- one running instance ---------------------------------------------------


def _template_user() -> str:
    users = Path(os.environ.get("KELUP_CACHE", "/var/cache/kelupon")) / "wine-template" / "drive_c" / "users"
    names = [p.name for p in users.iterdir() if p.name != "Public"] if users.is_dir() else []
    me = getpass.getuser()
    return me if me in names or not names else names[0]


class KelupHost:
    """One Kelupon in a fresh Wine prefix. Use as a context manager (or call
    cleanup()): the prefix's processes are killed and its folder removed."""

    def __init__(self, exe: str | os.PathLike, kltool: str | os.PathLike, *,
                 exe_dir: str = r"C:\Program Files\Kelupon", name: str = "host",
                 keep: bool | None = None, wrapper: list[str] | None = None, hold_desktop: bool = True):
        self.name = name
        # The prefix's desktop is brought up before the first program and
        # kept up for the host's life (see ensure_desktop()); benches of the
        # cold start turn that off.
        self.hold_desktop = hold_desktop
        self._desktop: subprocess.Popen | None = None
        # Wine's server owns the sockets of every process of the prefix, so
        # the network namespace it runs in is the one the program talks on.
        # By default that is a namespace of its own with nothing in it: no
        # datagram of a test ever leaves the machine. LAN tests put the
        # server into their host's namespace instead.
        self.server_wrapper: list[str] = ["unshare", "--net"]
        # `wrapper` (LAN tests): a command prefix that runs the server and
        # every Wine process of the prefix inside one host's namespaces, e.g.
        # ["nsenter", "--net=...", "--uts=...", "--"] (see lan.py).
        self.wine_wrapper: list[str] = list(wrapper or [])
        if wrapper:
            self.server_wrapper = list(wrapper)

        self.keep = bool(os.environ.get("KELUP_KEEP_PREFIX")) if keep is None else keep
        self.display = ensure_display()
        self.tmp = Path(tempfile.mkdtemp(prefix=f"kelup-e2e-{name}-"))
        self.prefix = self.tmp / "prefix"
        self.logs = self.tmp / "logs"
        self.logs.mkdir()
        # Windows not left to a window manager (there is none on the
        # display) unless KELUP_MANAGED is set: see scripts/wine-clone.sh.
        unmanaged = [] if os.environ.get("KELUP_MANAGED") else ["--unmanaged"]
        subprocess.run([str(SCRIPTS / "wine-clone.sh"), str(self.prefix), *unmanaged], check=True,
                       stdout=subprocess.DEVNULL, env=self._base_env())
        self.env = dict(self._base_env(), WINEPREFIX=str(self.prefix), DISPLAY=self.display)
        self.user = self._prefix_user()
        self.ensure_server()

        self.exe_dir = exe_dir.rstrip("\\") + "\\"
        self.exe_name = Path(exe).name
        self.exe_path = self.exe_dir + self.exe_name
        self.win_to_linux(self.exe_dir).mkdir(parents=True, exist_ok=True)
        shutil.copy2(exe, self.win_to_linux(self.exe_path))
        # Not beside the program: its folder is part of what is under test.
        self.kltool_path = r"C:\kelup-bench\kltool.exe"
        self.win_to_linux(r"C:\kelup-bench").mkdir(exist_ok=True)
        shutil.copy2(kltool, self.win_to_linux(self.kltool_path))

        self.proc: subprocess.Popen | None = None
        # What start() was given, for the one restart of wait_ready().
        self._start_args: list[str] = []
        self._start_retried, self._start_log_bytes = True, 0
        self.extra: list[subprocess.Popen] = []
        self._log_files: list = []

    # ---- environment and paths ----

    @staticmethod
    def _base_env() -> dict:
        env = dict(os.environ)
        env.update(WINE64=WINE64, WINEARCH="win64", WINEDEBUG=os.environ.get("WINEDEBUG", "-all"),
                   WINEDLLOVERRIDES=os.environ.get("WINEDLLOVERRIDES", "mscoree,mshtml="),
                   LC_ALL="ja_JP.UTF-8", LANG="ja_JP.UTF-8")
        env.pop("WINEPREFIX", None)
        return env

    def _prefix_user(self) -> str:
        users = self.prefix / "drive_c" / "users"
        names = [p.name for p in users.iterdir() if p.name != "Public"]
        me = getpass.getuser()
        return me if me in names else (names[0] if names else _template_user())

    @property
    def profile(self) -> str:
        return rf"C:\users\{self.user}"

    @property
    def appdata(self) -> str:
        return self.profile + r"\AppData\Roaming"

    @property
    def documents(self) -> str:
        return self.profile + r"\Documents"

    @property
    def config_dir(self) -> str:
        return self.appdata + "\\KELUPG5\\"

    @property
    def config_ini(self) -> str:
        return self.config_dir + "config.ini"

    @property
    def old_kelup_ini(self) -> str:
        """Settings of older versions, beside the program."""
        return self.exe_dir + "kelup.ini"

    def default_data_dir(self) -> str:
        return self.exe_dir + "data\\"

    def data_dir(self) -> str:
        """The data folder the program uses: SavePath of config.ini, else ExeDir\\data\\."""
        cfg = self.read_ini(self.config_ini) or Ini()
        path = cfg.get("COMMON", {}).get("SavePath", "")
        if not path:
            return self.default_data_dir()
        return path if path.endswith("\\") else path + "\\"

    def kelup_ini(self, data_dir: str | None = None) -> str:
        return (data_dir or self.data_dir()) + "kelup.ini"

    def win_to_linux(self, winpath: str) -> Path:
        """A Windows path of this prefix as a Linux path. Existing components
        are matched without case, as Wine does."""
        p = PureWindowsPath(winpath)
        if not p.drive:
            raise ValueError(f"not an absolute Windows path: {winpath}")
        root = (self.prefix / "dosdevices" / p.drive.lower()).resolve()
        path = root
        for part in p.parts[1:]:
            candidate = path / part
            if not candidate.exists() and path.is_dir():
                for entry in path.iterdir():
                    if entry.name.lower() == part.lower():
                        candidate = entry
                        break
            path = candidate
        return path

    def linux_to_win(self, path: str | os.PathLike) -> str:
        path = Path(path).resolve()
        for link in sorted((self.prefix / "dosdevices").iterdir()):
            if len(link.name) != 2 or not link.name.endswith(":"):
                continue
            target = link.resolve()
            if path == target or target in path.parents:
                rel = path.relative_to(target)
                return link.name.upper() + "\\" + "\\".join(rel.parts)
        raise ValueError(f"{path} is not on a drive of the prefix")

    def exists(self, winpath: str) -> bool:
        return self.win_to_linux(winpath).exists()

    # ---- INI files ----

    def write_ini(self, winpath: str, content: Mapping | str) -> Path:
        """Writes a dict of dicts (or text) as code page 932 with CRLF."""
        path = self.win_to_linux(winpath)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(encode_ini(content))
        return path

    def read_ini(self, winpath: str) -> Ini | None:
        """The file as a case-insensitive dict of dicts, None when missing."""
        path = self.win_to_linux(winpath)
        if not path.is_file():
            return None
        return parse_ini(decode_ini(path.read_bytes()))

    def seed_config(self, content: Mapping | str) -> str:
        self.write_ini(self.config_ini, content)
        return self.config_ini

    def seed_kelup_ini(self, content: Mapping | str, data_dir: str | None = None) -> str:
        """kelup.ini in the data folder (from a seeded config.ini, else the default)."""
        target = self.kelup_ini(data_dir)
        self.write_ini(target, content)
        return target

    # ---- processes ----

    def ensure_server(self) -> None:
        """Starts the prefix's wineserver unless it runs. Done before every
        Wine process we launch: two processes that both find no server start
        one each (this Wine keeps its server socket in a random folder named
        in the prefix), and then one of them hangs. The server lingers
        SERVER_LINGER_S after the last process so that waits in a test never
        see it restart; cleanup() kills it."""
        r = subprocess.run([*self.server_wrapper, WINESERVER, f"-p{SERVER_LINGER_S}"], env=self.env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if r.returncode not in (0, 2):  # 2: already running
            raise BenchError(f"wineserver did not start (exit {r.returncode})")

    def ensure_desktop(self, timeout: float = 120) -> None:
        """Brings the prefix's desktop up unless a holder keeps it up. Wine
        starts the desktop process with a session's first window and waits
        ten seconds for it; on a busy machine a program whose first window
        comes later is left without a display driver and ends at once (exit
        1, nothing written). A kltool process makes the first window, again
        until it succeeds, and then stays as a user of the desktop, so the
        desktop also stays up while the program restarts."""
        if not self.hold_desktop or (self._desktop is not None and self._desktop.poll() is None):
            return
        deadline = time.monotonic() + timeout
        log = self.tmp / "desktop.out"
        while True:
            self.ensure_server()
            with open(log, "wb") as out:
                p = subprocess.Popen([*self.wine_wrapper, WINE64, self.kltool_path, "hold-desktop"], env=self.env,
                                     stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
            wait_until(lambda: log.read_bytes().endswith(b"\n") or p.poll() is not None,
                       max(1.0, deadline - time.monotonic()), what="the prefix's desktop")
            if p.poll() is None:
                self._desktop = p
                return
            if time.monotonic() > deadline:
                raise BenchError(f"the prefix's desktop did not come up in {timeout} s")
            time.sleep(0.5)   # the desktop process is still starting: give it the cores

    @property
    def desktop_holder(self) -> subprocess.Popen | None:
        """The process that keeps the prefix's desktop up (None before the
        first program)."""
        return self._desktop

    def _popen(self, args: list[str], log: str) -> subprocess.Popen:
        self.ensure_desktop()
        self.ensure_server()
        out = open(self.logs / f"{log}.out", "ab")
        err = open(self.logs / f"{log}.err", "ab")
        self._log_files += [out, err]
        cwd = self.win_to_linux(self.profile)  # not the program's folder, as from the Run key
        return subprocess.Popen([*self.wine_wrapper, WINE64, *args], env=self.env, cwd=cwd,
                                stdin=subprocess.DEVNULL, stdout=out, stderr=err)

    def start(self, *args: str) -> subprocess.Popen:
        """Starts the program; see spawn() for more instances."""
        if self.proc is not None and self.proc.poll() is None:
            raise BenchError("already started")
        self._start_args, self._start_retried = list(args), False
        self._start_log_bytes = self._program_log_bytes()
        self.proc = self._popen([self.exe_path, *args], "program")
        return self.proc

    def _program_log_bytes(self) -> int:
        return sum(f.stat().st_size for f in (self.logs / "program.out", self.logs / "program.err") if f.exists())

    def spawn(self, *args: str, exe: str | None = None) -> subprocess.Popen:
        """Another process in the prefix (default: the program again)."""
        p = self._popen([exe or self.exe_path, *args], f"spawn{len(self.extra) + 1}")
        self.extra.append(p)
        return p

    @property
    def running(self) -> bool:
        return self.proc is not None and self.proc.poll() is None

    def wait_exit(self, timeout: float = 60) -> int:
        """Waits for the program's process to end (its files are closed by
        then); returns its exit code."""
        if self.proc is None:
            raise BenchError("not started")
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise BenchError(f"program still running after {timeout} s") from None

    def wineserver(self, *args: str, timeout: float = 30) -> None:
        try:
            subprocess.run([WINESERVER, *args], env=self.env, timeout=timeout,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            raise BenchError(f"wineserver {' '.join(args)} did not finish in {timeout} s") from None

    def kill(self) -> None:
        """Ends every process of the prefix at once, like a crash or power cut."""
        self.wineserver("-k")
        for p in [self.proc, *self.extra]:
            if p is not None:
                try:
                    p.wait(15)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait(5)

    def cleanup(self) -> None:
        try:
            alive = [p for p in [self.proc, *self.extra, self._desktop] if p is not None and p.poll() is None]
            self.wineserver("-k", timeout=15)
            for p in alive:
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    p.kill()
        except BenchError:
            pass
        finally:
            for f in self._log_files:
                f.close()
            self._log_files.clear()
            if not self.keep:
                shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self) -> "KelupHost":
        return self

    def __exit__(self, *exc) -> None:
        self.cleanup()

    # ---- kltool ----

    def kl(self, *args: object, timeout: float = 30) -> object:
        """Runs one kltool command in the prefix; returns its parsed JSON."""
        argv = [str(a) for a in args]
        code, stdout, stderr = self._kl_run(argv, timeout)
        if code == 1 and not stdout and not stderr:
            # kltool says why whenever it fails; exit 1 with no word at all
            # means it never got to its command (seen once in a while under
            # Wine on a loaded machine), so running it again is safe.
            code, stdout, stderr = self._kl_run(argv, timeout)
        if code != 0:
            raise KltoolError(argv, code, stderr or "(no message: the tool did not start its command)")
        return json.loads(stdout.decode("utf-8"))

    def _kl_run(self, argv: list[str], timeout: float) -> tuple[int, bytes, str]:
        self.ensure_server()
        # Files, not pipes: Wine system processes started along with a
        # command inherit its output handles and would keep a pipe open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            p = subprocess.Popen([*self.wine_wrapper, WINE64, self.kltool_path, *argv], env=self.env,
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=err)
            try:
                code = p.wait(timeout)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
                raise BenchError(f"kltool {' '.join(argv)} did not finish in {timeout} s") from None
            out.seek(0)
            err.seek(0)
            return code, out.read(), err.read().decode("utf-8", "replace")

    def _kl_wait(self, args: list, timeout: float) -> object:
        return self.kl(*args, "--timeout", int(timeout * 1000), timeout=timeout + 30)

    @staticmethod
    def _sel(title: str | None = None, cls: str | None = None, hwnd: int | None = None,
             pid: int | None = None) -> list:
        args: list = []
        if hwnd is not None:
            args += ["--hwnd", hwnd]
        if title is not None:
            args += ["--title", title]
        if cls is not None:
            args += ["--class", cls]
        if pid is not None:
            args += ["--pid", pid]
        return args

    def folders(self) -> dict:
        """Folders and code pages as a program in the prefix sees them."""
        return self.kl("folders")

    def windows(self, title: str | None = None, cls: str | None = None, *, pid: int | None = None,
                visible: bool = False, children: bool = True) -> list[dict]:
        """Top-level windows (each with its child windows, recursively)."""
        args = ["windows", *self._sel(title, cls, pid=pid)]
        if visible:
            args.append("--visible")
        if not children:
            args.append("--no-children")
        return self.kl(*args)

    def find_window(self, title: str | None = None, cls: str | None = None, *,
                    visible: bool = False) -> dict | None:
        found = self.windows(title, cls, visible=visible)
        return found[0] if found else None

    def info(self, hwnd: int) -> dict:
        return self.kl("info", "--hwnd", hwnd)

    def wait_window(self, title: str | None = None, cls: str | None = None, *, visible: bool = False,
                    timeout: float = 30) -> dict:
        args = ["wait-window", *self._sel(title, cls)]
        if visible:
            args.append("--visible")
        return self._kl_wait(args, timeout)

    def wait_gone(self, title: str | None = None, cls: str | None = None, *, timeout: float = 30) -> None:
        self._kl_wait(["wait-gone", *self._sel(title, cls)], timeout)

    def click(self, title: str | None, button: str, cls: str | None = None, *, hwnd: int | None = None,
              via: str | None = None, timeout: float = 10) -> dict:
        """Presses the button captioned `button` in a top-level window.
        Raises KltoolError when it is disabled or hidden."""
        args = ["click", *self._sel(title, cls, hwnd), "--button", button]
        if via:
            args += ["--via", via]
        return self._kl_wait(args, timeout)

    def check(self, title: str | None, button: str, cls: str | None = None, *, uncheck: bool = False,
              timeout: float = 10) -> dict:
        args = ["check", *self._sel(title, cls), "--button", button]
        if uncheck:
            args.append("--uncheck")
        return self._kl_wait(args, timeout)

    def query(self, qid: int, timeout: float = 10) -> int:
        return self._kl_wait(["query", "--id", int(qid)], timeout)["value"]

    def wait_ready(self, timeout: float = 60) -> dict:
        """Waits for the main window's "KelupReady" property; returns the window."""
        deadline = time.monotonic() + timeout
        while True:
            # In slices of two seconds, so that a program that has ended is seen at once.
            try:
                return self._kl_wait(["wait-ready"], max(0.0, min(deadline - time.monotonic(), 2.0)))
            except KltoolError as e:
                if self.proc is not None and self.proc.poll() is not None:
                    if (self.proc.returncode == 1 and not self._start_retried
                            and self._program_log_bytes() == self._start_log_bytes):
                        # The program's one silent exit 1 is its first window
                        # failing, before it has read or written anything: under
                        # Wine, on a loaded machine, the session's display may
                        # not have been ready for it (see ensure_desktop()).
                        self._start_retried = True
                        self.proc = self._popen([self.exe_path, *self._start_args], "program")
                        return self.wait_ready(max(1.0, deadline - time.monotonic()))
                    raise BenchError(f"program ended (exit {self.proc.returncode}) before it was ready") from e
                if time.monotonic() < deadline:
                    continue
                boxes = [f"{b['title']!r}: {self.message_text(b)!r}" for b in self.message_boxes()]
                if boxes:
                    raise BenchError(f"not ready; a dialog waits: {'; '.join(boxes)}") from e
                raise

    def is_ready(self) -> bool:
        try:
            self._kl_wait(["wait-ready"], 0)
            return True
        except KltoolError:
            return False

    def send(self, msg: int, wparam: int = 0, lparam: int = 0, *, cls: str | None = MAIN_CLASS,
             hwnd: int | None = None, post: bool = False, timeout: float = 10) -> int | None:
        sel = self._sel(hwnd=hwnd) if hwnd is not None else self._sel(cls=cls)
        args = ["send", *sel, "--msg", msg, "--wparam", wparam, "--lparam", lparam]
        if post:
            args.append("--post")
        r = self._kl_wait(args, timeout)
        return r.get("result")

    def command(self, cmd_id: int, *, cls: str = MAIN_CLASS, send: bool = False) -> int | None:
        args = ["command", "--class", cls, "--id", cmd_id]
        if send:
            args.append("--send")
        return self.kl(*args).get("result")

    def text(self, hwnd: int) -> str:
        return self.kl("text", "--hwnd", hwnd)["text"]

    def set_text(self, hwnd: int, text: str) -> None:
        self.kl("settext", "--hwnd", hwnd, "--text", text)

    def mutex_exists(self, name: str = MUTEX_NAME) -> bool:
        return self.kl("mutex", "--name", name)["exists"]

    def hold_mutex(self, name: str = MUTEX_NAME) -> subprocess.Popen:
        """A process of the prefix that owns the named mutex until killed."""
        self.ensure_server()
        log = self.logs / f"mutex{len(self.extra) + 1}.out"
        with open(log, "wb") as out:
            p = subprocess.Popen([*self.wine_wrapper, WINE64, self.kltool_path, "hold-mutex", "--name", name],
                                 env=self.env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
        self.extra.append(p)
        wait_until(lambda: log.read_bytes().endswith(b"\n") or p.poll() is not None, 30, what="hold-mutex")
        if p.poll() is not None:
            raise BenchError("hold-mutex ended early")
        return p

    def close(self) -> None:
        """WM_CLOSE to the main window, as the program's own exit command does."""
        self.kl("close", "--class", MAIN_CLASS)

    def end_session(self, timeout: float = 60) -> dict:
        """WM_QUERYENDSESSION then WM_ENDSESSION(TRUE), as at log-off."""
        return self._kl_wait(["endsession", "--class", MAIN_CLASS], timeout)

    # ---- windows of the program, as seen by a user ----

    def message_boxes(self) -> list[dict]:
        """Visible dialog-class windows (message boxes and dialogs)."""
        return self.windows(cls=DIALOG_CLASS, visible=True)

    @staticmethod
    def message_text(box: dict) -> str:
        """The text of a message box (its static control 0xFFFF), else all static texts."""
        statics = [c for c in box.get("children", []) if c["class"].lower() == "static"]
        main = [c["title"] for c in statics if c.get("id") == MSGBOX_TEXT_ID]
        return "\n".join(main or [c["title"] for c in statics if c["title"]])

    @staticmethod
    def controls(window: dict) -> Iterator[dict]:
        """All descendants of a window dict."""
        for c in window.get("children", []):
            yield c
            yield from KelupHost.controls(c)

    @classmethod
    def control(cls, window: dict, text: str) -> dict:
        """The control captioned `text` ('&' and a "(&X)" suffix ignored)."""
        def plain(s: str) -> str:
            return re.sub(r"\(&.\)$", "", s).replace("&&", "\0").replace("&", "").replace("\0", "&")
        for c in cls.controls(window):
            if c["title"] == text or plain(c["title"]) == plain(text):
                return c
        raise BenchError(f"no control {text!r} in {window['title']!r}: "
                         f"{[c['title'] for c in cls.controls(window)]}")

    # ---- X input and pictures ----

    def xdo(self, *args: object, timeout: float = 20) -> str:
        r = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, timeout=timeout)
        if r.returncode != 0:
            raise BenchError(f"xdotool {' '.join(map(str, args))}: {r.stderr.decode(errors='replace').strip()}")
        return r.stdout.decode(errors="replace")

    def x_window(self, hwnd: int) -> int:
        """The X window Wine made for a top-level window (0 if it has none)."""
        return self.kl("prop", "--hwnd", hwnd, "--name", "__wine_x11_whole_window")["value"]

    def mouse_click(self, x: int, y: int, button: int = 1, repeat: int = 1) -> None:
        """Clicks at screen coordinates (Wine's screen is the X root here)."""
        self.xdo("mousemove", "--sync", x, y)
        self.xdo("click", "--repeat", repeat, "--delay", 80, button)

    def mouse_click_window(self, window: dict | int, x: int | None = None, y: int | None = None,
                           button: int = 1, repeat: int = 1) -> None:
        """Clicks at client coordinates of a window or control (its centre by default)."""
        w = self.info(window if isinstance(window, int) else window["hwnd"])
        ox, oy = w["client_origin"]
        cx = w["client"][2] // 2 if x is None else x
        cy = w["client"][3] // 2 if y is None else y
        self.mouse_click(ox + cx, oy + cy, button, repeat)

    def focus(self, window: dict | int) -> None:
        """Makes a top-level window the active one, for keyboard input."""
        hwnd = window if isinstance(window, int) else window["hwnd"]
        self.kl("activate", "--hwnd", hwnd)
        xwin = self.x_window(hwnd)
        if xwin:
            self.xdo("windowfocus", "--sync", xwin)

    def key(self, *keys: str, delay_ms: int = 40) -> None:
        """X key names, e.g. key("ctrl+c"), key("Return")."""
        self.xdo("key", "--delay", delay_ms, *keys)

    def type_text(self, text: str, delay_ms: int = 40) -> None:
        self.xdo("type", "--delay", delay_ms, text)

    def screenshot(self, path: str | os.PathLike) -> Path:
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        if shutil.which("import"):
            cmd = ["import", "-window", "root", str(path)]
        else:
            cmd = ["sh", "-c", f"xwd -root -silent > '{path.with_suffix('.xwd')}'"]
            path = path.with_suffix(".xwd")
        subprocess.run(cmd, env=self.env, timeout=30, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    # ---- diagnostics ----

    def dump_state(self, dest: str | os.PathLike) -> str:
        """Saves logs, the window list, a screenshot and the INI files to dest;
        returns a short printable summary."""
        dest = Path(dest)
        dest.mkdir(parents=True, exist_ok=True)
        lines = [f"[{self.name}] prefix {self.prefix}, state saved in {dest}"]
        for p in (self.proc, *self.extra):
            if p is not None:
                lines.append(f"  process {p.args[1:]}: " +
                             ("running" if p.poll() is None else f"exit {p.returncode}"))
        try:
            wins = self.windows(pid=None)
            (dest / "windows.json").write_text(json.dumps(wins, ensure_ascii=False, indent=1))
            for w in wins:
                if w["visible"] or w["class"] in (MAIN_CLASS, APP_CLASS, DIALOG_CLASS):
                    lines.append(f"  window {w['class']!r} {w['title']!r} visible={w['visible']} "
                                 f"rect={w['rect']}")
                    if w["class"] == DIALOG_CLASS:
                        lines.append(f"    text: {self.message_text(w)!r}")
        except Exception as e:  # the bench itself may be what broke
            lines.append(f"  windows: {e}")
        try:
            self.screenshot(dest / "screen.png")
        except Exception as e:
            lines.append(f"  screenshot: {e}")
        for f in self._log_files:
            f.flush()
        for log in sorted(self.logs.iterdir()):
            shutil.copy2(log, dest / log.name)
            tail = log.read_bytes()[-1500:].decode("utf-8", "replace").strip()
            if tail:
                lines.append(f"  {log.name}: ...{tail}")
        for winpath in (self.config_ini, self.old_kelup_ini, self.kelup_ini(self.default_data_dir())):
            src = self.win_to_linux(winpath)
            if src.is_file():
                shutil.copy2(src, dest / (src.parent.name + "_" + src.name))
        try:
            data = self.data_dir()
            src = self.win_to_linux(data + "kelup.ini")
            if src.is_file():
                shutil.copy2(src, dest / "data_kelup.ini")
        except Exception:
            pass
        return "\n".join(lines)


def wait_until(predicate, timeout: float = 10, interval: float = 0.1, what: str = "condition"):
    """Polls until predicate() is truthy; returns its value."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= end:
            raise BenchError(f"{what} not met within {timeout} s")
        time.sleep(interval)
