# SPDX-License-Identifier: GPL-3.0-or-later
"""A private X server and the real editor in it, driven as a user drives it.

Keys go by X keycode (a physical key), so that the layout set with setxkbmap decides what
the key means, as it does for a person at a Japanese or a US keyboard. There is no window
manager: the program activates its own window, and after a dialog closes the test gives
the focus back to the main window, which is what a window manager would do.
"""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time

SKIP = 77  # ctest's SKIP_RETURN_CODE for these tests

# X keycodes of the keys used here (the same on the JIS and the US layout).
RETURN = 36
NUM_LOCK = 77
ESCAPE = "Escape"  # keycode 9 is a single digit, which xdotool would read as the key "9"
F1 = 67
CTRL = 37
ALT = 64
KEY_A = 38
KEY_C = 54
KEY_F = 41
KEY_K = 45
KEY_L = 46
KEY_N = 57
KEY_O = 32
KEY_S = 39
KEY_X = 53
KEY_Y = 29
HOME = 110
UP = 111
PAGE_UP = 112
LEFT = 113
RIGHT = 114
DOWN = 116
PAGE_DOWN = 117
INSERT = 118

WAIT = 10.0  # seconds allowed for any window to appear, go or change


class Failure(Exception):
    pass


def missing_tools():
    """Names of the programs these tests need that are not installed."""
    return [t for t in ("Xvfb", "xdotool", "setxkbmap", "import") if shutil.which(t) is None]


def poll(what, probe, timeout=WAIT, interval=0.03):
    """Calls probe until it returns something true; fails naming `what` after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


class XServer:
    """Xvfb on a free display number, which it picks itself and reports on a pipe."""

    def __init__(self, workdir, size="1280x1024"):
        read_end, write_end = os.pipe()
        # -noreset: otherwise the server resets the keyboard layout when the last client goes.
        # -ardelay: a machine under load may hold xdotool between a key's press and release
        # longer than the usual repeat delay, and the server would type the key again.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
             "-ardelay", "60000", "-screen", "0", size + "x24"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(workdir, "xvfb.log"), "wb"))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + WAIT
        while not number.endswith(b"\n"):
            if not select.select([read_end], [], [], max(0, deadline - time.monotonic()))[0]:
                self.close()
                raise Failure("Xvfb did not report its display number")
            chunk = os.read(read_end, 16)
            if not chunk:
                self.close()
                raise Failure("Xvfb ended before it was ready (see xvfb.log)")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.editors = []  # every program started on this display, ended with it

    def run(self, *args, timeout=WAIT, check=True):
        done = subprocess.run(list(args), env=self.env, capture_output=True, timeout=timeout)
        if check and done.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {done.stderr.decode(errors='replace')}")
        return done.stdout.decode(errors="replace")

    def set_layout(self, layout):
        self.run("setxkbmap", "-display", self.display, layout)

    def key(self, *keycodes):
        """Presses keys one after another; "37+39" style strings press a combination. A name
        (not a number) is a key name, for keys whose keycode is a single digit."""
        codes = [str(k) for k in keycodes]
        for code in codes:
            for part in code.split("+"):
                # xdotool reads a single digit as the key that types it, not as a keycode.
                if part.isdigit() and int(part) < 10:
                    raise ValueError(f"keycode {part} would be taken as a key name")
        self.run("xdotool", "key", "--delay", "15", *codes)

    def type_text(self, text):
        self.run("xdotool", "type", "--delay", "10", text)

    def windows(self, name_regex):
        out = self.run("xdotool", "search", "--onlyvisible", "--name", name_regex, check=False)
        return [int(w) for w in out.split()]

    def wait_window(self, name_regex, timeout=WAIT):
        found = poll(f"a window named /{name_regex}/", lambda: self.windows(name_regex), timeout)
        return found[-1]

    def is_viewable(self, window):
        return window in self.windows("")

    def wait_gone(self, window, what, timeout=WAIT):
        poll(f"{what} to close", lambda: not self.is_viewable(window), timeout)

    def name_of(self, window):
        return self.run("xdotool", "getwindowname", str(window)).rstrip("\n")

    def focus(self, window):
        self.run("xdotool", "windowfocus", "--sync", str(window))

    def screenshot(self, window, path):
        self.run("import", "-window", str(window), path)

    def pixels(self, window):
        """The window's picture as (width, height, RGB bytes)."""
        done = subprocess.run(["import", "-window", str(window), "-depth", "8", "ppm:-"],
                              env=self.env, capture_output=True, timeout=WAIT, check=True)
        data = done.stdout
        match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        if not match:
            raise Failure("import gave no 8-bit PPM picture")
        return int(match.group(1)), int(match.group(2)), data[match.end():]

    def geometry(self, window):
        """(x, y, width, height) of a window on the screen."""
        out = self.run("xdotool", "getwindowgeometry", "--shell", str(window))
        values = dict(line.split("=", 1) for line in out.split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def drag(self, source, target):
        """Presses the left button in the middle of `source` and lets go over `target`,
        moving by small steps, as a hand does."""
        sx, sy, sw, sh = self.geometry(source)
        tx, ty, tw, th = self.geometry(target)
        start, end = (sx + sw // 2, sy + sh // 2), (tx + tw // 2, ty + th // 2)
        self.run("xdotool", "mousemove", "--sync", str(start[0]), str(start[1]))
        self.run("xdotool", "mousedown", "1")
        time.sleep(0.2)
        for i in range(1, 11):
            x = start[0] + (end[0] - start[0]) * i // 10
            y = start[1] + (end[1] - start[1]) * i // 10
            self.run("xdotool", "mousemove", str(x), str(y))
            time.sleep(0.05)
        time.sleep(0.3)  # the target answers the last position before the drop
        self.run("xdotool", "mouseup", "1")

    def close_box(self, window):
        """Asks the window to close, as a window manager does when its close box is clicked."""
        x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.c_void_p]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class ClientMessage(ctypes.Structure):  # XClientMessageEvent inside an XEvent
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                        ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                        ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                        ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                        ("pad", ctypes.c_long * 12)]

        display = x11.XOpenDisplay(self.display.encode())
        if not display:
            raise Failure(f"cannot open display {self.display}")
        try:
            event = ClientMessage(type=33, send_event=1, display=display, window=window,
                                  message_type=x11.XInternAtom(display, b"WM_PROTOCOLS", 0),
                                  format=32)
            event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
            if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
                raise Failure("the close request could not be sent")
            x11.XFlush(display)
        finally:
            x11.XCloseDisplay(display)

    def close(self):
        for editor in self.editors:
            editor.kill()
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(WAIT)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def black_runs(server, window, length):
    """How many rows of the window hold a run of at least `length` pure black pixels: the
    lines of a drawn score, which neither text nor the grey table borders make."""
    width, height, rgb = server.pixels(window)
    needle = b"\x00\x00\x00" * length
    rows = 0
    for y in range(height):
        row = rgb[y * width * 3:(y + 1) * width * 3]
        at = row.find(needle)
        while at >= 0 and at % 3 != 0:
            at = row.find(needle, at + 1)
        rows += at >= 0
    return rows


class DragSource:
    """The helper window that drags one file, as a file manager would."""

    def __init__(self, server, program, path):
        self.process = subprocess.Popen([program, path], env=dict(server.env, QT_QPA_PLATFORM="xcb"),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                        start_new_session=True)
        server.editors.append(self)
        self.window = server.wait_window("^drag source$")

    def alive(self):
        return self.process.poll() is None

    def kill(self):
        if self.alive():
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()

    def stderr(self):
        return ""


def red_box(server, window):
    """Bounding box (left, top, right, bottom) of the pure red pixels: the cursor box."""
    width, _, rgb = server.pixels(window)
    left = top = 1 << 30
    right = bottom = -1
    at = rgb.find(b"\xff\x00\x00")
    while at >= 0:
        if at % 3 == 0:
            x, y = (at // 3) % width, (at // 3) // width
            left, top, right, bottom = min(left, x), min(top, y), max(right, x), max(bottom, y)
        at = rgb.find(b"\xff\x00\x00", at + 1)
    return None if right < 0 else (left, top, right, bottom)


def status_bar_pixels(server, window, height=24):
    """The bottom rows of the window, where the status bar shows its panes."""
    width, rows, rgb = server.pixels(window)
    return rgb[(rows - height) * width * 3:]


class Editor:
    """One run of the real tabrella on the private display."""

    def __init__(self, server, binary, workdir, *args, env_extra=None):
        self.server = server
        self.tmpdir = os.path.join(workdir, "tmp")
        os.makedirs(self.tmpdir, exist_ok=True)
        runtime = os.path.join(workdir, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        # No sound device, whatever the machine has: playback must show its error.
        no_alsa = os.path.join(workdir, "empty-asoundrc")
        open(no_alsa, "w").close()
        env = dict(server.env,
                   QT_QPA_PLATFORM="xcb",
                   XDG_RUNTIME_DIR=runtime,
                   XDG_CONFIG_HOME=os.path.join(workdir, "config"),
                   XDG_CACHE_HOME=os.path.join(workdir, "cache"),
                   XDG_STATE_HOME=os.path.join(workdir, "state"),
                   TMPDIR=self.tmpdir,
                   PULSE_SERVER="unix:" + os.path.join(workdir, "no-pulse-here"),
                   ALSA_CONFIG_PATH=no_alsa,
                   LANG="C.UTF-8")
        for variable in ("QT_STYLE_OVERRIDE", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS"):
            env.pop(variable, None)
        env.update(env_extra or {})
        self.stderr_path = os.path.join(workdir, f"tabrella-{time.monotonic_ns()}.err")
        self.process = subprocess.Popen([binary, *args], env=env, stdout=subprocess.DEVNULL,
                                        stderr=open(self.stderr_path, "wb"),
                                        start_new_session=True)
        self.window = None
        server.editors.append(self)

    def wait_main_window(self, caption_regex):
        self.window = self.server.wait_window(caption_regex)
        self.server.focus(self.window)
        return self.window

    def refocus(self):
        """Gives the focus back to the main window after a dialog, as a window manager would."""
        self.server.focus(self.window)

    def caption(self):
        return self.server.name_of(self.window)

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=WAIT):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"tabrella did not end within {timeout:.0f} s")

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode(errors="replace")

    def has_loaded(self, library):
        """True when a library whose file name contains `library` is mapped into the program."""
        with open(f"/proc/{self.process.pid}/maps") as f:
            return any(library in os.path.basename(line.split()[-1]) for line in f
                       if len(line.split()) >= 6)

    def kill(self):
        if self.alive():
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()


def make_workdir():
    # Hex digits only: the path is typed into the file dialog on either layout.
    base = tempfile.gettempdir()
    path = os.path.join(base, "tabrella-e2e-" + os.urandom(6).hex())
    os.mkdir(path, 0o700)
    return path
