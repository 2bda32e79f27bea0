"""Files dropped on a window of the program the way a file manager drops
them: the X drag-and-drop protocol (XDND), spoken here through libX11 with
ctypes. Wine takes the drop on its X window and hands the program a
WM_DROPFILES of its own, exactly as for a drop from the desktop.

    drop_files(h, hwnd, [h.win_to_linux("C:\\\\pics\\\\a.bmp")], x, y)

A WM_DROPFILES posted from another process does not work: its HDROP is
memory of that process."""

from __future__ import annotations

import ctypes
import ctypes.util
import time
import urllib.parse
from pathlib import Path

_x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")

Window = Atom = Time = ctypes.c_ulong

CLIENT_MESSAGE = 33
SELECTION_REQUEST = 30
SELECTION_NOTIFY = 31
XDND_VERSION = 4


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class SelectionRequest(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("owner", Window), ("requestor", Window), ("selection", Atom),
                ("target", Atom), ("property", Atom), ("time", Time)]


class SelectionNotify(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("requestor", Window), ("selection", Atom), ("target", Atom),
                ("property", Atom), ("time", Time)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", ClientMessage), ("request", SelectionRequest),
                ("notify", SelectionNotify), ("pad", ctypes.c_long * 24)]


_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XDefaultRootWindow.restype = Window
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XInternAtom.restype = Atom
_x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x11.XCreateSimpleWindow.restype = Window
_x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
_x11.XSetSelectionOwner.argtypes = [ctypes.c_void_p, Atom, Window, Time]
_x11.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
_x11.XPending.argtypes = [ctypes.c_void_p]
_x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
_x11.XFlush.argtypes = [ctypes.c_void_p]
_x11.XChangeProperty.argtypes = [ctypes.c_void_p, Window, Atom, Atom, ctypes.c_int, ctypes.c_int,
                                 ctypes.c_char_p, ctypes.c_int]
_x11.XDestroyWindow.argtypes = [ctypes.c_void_p, Window]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]


class DropError(RuntimeError):
    pass


def drop_files(h, hwnd: int, paths: list[Path], x: int, y: int, timeout: float = 30) -> None:
    """Drags `paths` (Linux paths) onto the top-level window `hwnd` and drops
    them at (x, y) on the screen; returns once the window took the drop."""
    target = h.x_window(hwnd)
    if not target:
        raise DropError(f"window {hwnd:#x} has no X window")
    dpy = _x11.XOpenDisplay(h.env["DISPLAY"].encode())
    if not dpy:
        raise DropError("cannot open the X display")
    try:
        _drop(dpy, Window(target), paths, x, y, timeout)
    finally:
        _x11.XCloseDisplay(dpy)


def _drop(dpy, target: Window, paths: list[Path], x: int, y: int, timeout: float) -> None:
    def atom(name: str) -> int:
        return _x11.XInternAtom(dpy, name.encode(), 0)

    uri_list = atom("text/uri-list")
    selection, copy = atom("XdndSelection"), atom("XdndActionCopy")
    payload = "".join("file://" + urllib.parse.quote(str(Path(p).resolve())) + "\r\n" for p in paths).encode()

    root = _x11.XDefaultRootWindow(dpy)
    source = _x11.XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0)
    _x11.XSetSelectionOwner(dpy, selection, source, 0)

    def send(kind: str, *data: int) -> None:
        ev = XEvent()
        ev.client.type = CLIENT_MESSAGE
        ev.client.window = target
        ev.client.message_type = atom(kind)
        ev.client.format = 32
        for i, v in enumerate(data):
            ev.client.data[i] = v
        _x11.XSendEvent(dpy, target, 0, 0, ctypes.byref(ev))
        _x11.XFlush(dpy)

    def serve(until: str) -> XEvent:
        """Answers requests for the dragged data until the message `until` comes."""
        want = atom(until)
        end = time.monotonic() + timeout
        ev = XEvent()
        while time.monotonic() < end:
            if not _x11.XPending(dpy):
                time.sleep(0.01)
                continue
            _x11.XNextEvent(dpy, ctypes.byref(ev))
            if ev.type == SELECTION_REQUEST:
                req = ev.request
                reply = XEvent()
                reply.notify.type = SELECTION_NOTIFY
                reply.notify.requestor = req.requestor
                reply.notify.selection = req.selection
                reply.notify.target = req.target
                reply.notify.time = req.time
                reply.notify.property = 0
                if req.target == uri_list:
                    prop = req.property or req.target
                    _x11.XChangeProperty(dpy, req.requestor, prop, req.target, 8, 0, payload, len(payload))
                    reply.notify.property = prop
                _x11.XSendEvent(dpy, req.requestor, 0, 0, ctypes.byref(reply))
                _x11.XFlush(dpy)
            elif ev.type == CLIENT_MESSAGE and ev.client.message_type == want:
                return ev
        raise DropError(f"no {until} within {timeout} s")

    try:
        send("XdndEnter", source, XDND_VERSION << 24, uri_list, 0, 0)
        send("XdndPosition", source, 0, (x << 16) | (y & 0xFFFF), 0, copy)
        status = serve("XdndStatus")
        if not status.client.data[1] & 1:
            raise DropError("the window does not take the drop")
        send("XdndDrop", source, 0, 0)
        serve("XdndFinished")
    finally:
        _x11.XDestroyWindow(dpy, source)
        _x11.XFlush(dpy)
