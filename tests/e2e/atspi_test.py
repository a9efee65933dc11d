#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The real tabrella as a screen reader reads it, through the accessibility bus (AT-SPI).

usage: atspi_test.py TABRELLA

On a private X server and a private D-Bus session with the AT-SPI registry, random string
keys, pressings, rests and moves are typed at the score; after each, the focused object's
name must hold the cursor's cell number and what the cell holds, and a name change (what
Orca speaks) must have come. Then no control of the main window, the tuning dialog or the
tempo dialog may lack a name. Exits 77 (skipped) where a tool or pyatspi is missing.
"""

import os
import random
import shutil
import signal
import subprocess
import sys
import time
import traceback

sys.dont_write_bytecode = True  # nothing left in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xsession as x  # noqa: E402
from xsession import ALT, DOWN, ESCAPE, RETURN, UP, Failure  # noqa: E402

SYSTEM_PYTHON = "/usr/bin/python3"  # pyatspi comes with the system's Python
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
KEY_O = 32
KEY_P = 33
RIGHT_BRACKET = 35  # ] on the US layout: the one-cell rest △
STRING_NAMES = "一二三四五六七八九十斗為巾"
PRESSINGS = {1: "ヲ", 2: "オ", 3: "ォ"}
PATIENCE = 30  # seconds for anything to come on a loaded machine; polled, so rarely spent
CONTROL_ROLES = ("push button", "toggle button", "check box", "radio button", "combo box",
                 "text", "spin button", "scroll bar", "menu item", "menu")


def pump(seconds=0.0):
    from gi.repository import GLib
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if time.monotonic() >= end:
            return
        time.sleep(0.02)


class Score:
    """What the keys do to the cursor's cell, for whole cells and the centre slot."""

    def __init__(self):
        self.pos = 1
        self.cells = {}

    def press(self, key):
        v = self.cells.get(self.pos, 0)
        if 10 <= key <= 20:  # the number row: strings 一 to 斗
            v = 0 if v >= 500 else v
            self.cells[self.pos] = key - 9 + (v - v % 100)
        elif key == KEY_O:
            v = 0 if v >= 500 else v
            if v < 200 or (v < 300 and v % 100):
                v += 100
            elif v == 200:
                v = 0
            elif v < 400:
                v -= 300
            self.cells[self.pos] = v
        elif key == RIGHT_BRACKET:
            self.cells[self.pos] = 600
        elif key == DOWN and self.pos < 224:
            self.pos += 1
        elif key == UP and self.pos > 1:
            self.pos -= 1

    def expected(self):
        v = self.cells.get(self.pos, 0)
        if v == 600:
            words = "休符 △ 1マス"
        elif v == 0:
            words = "空"
        else:
            parts = [PRESSINGS[v // 100]] if v // 100 in PRESSINGS else []
            if v % 100:
                parts.append(STRING_NAMES[v % 100 - 1])
            words = "中 " + " ".join(parts)
        return f"マス {self.pos}、", words


def focused(acc):
    import pyatspi
    try:
        if acc.getState().contains(pyatspi.STATE_FOCUSED):
            return acc
        for i in range(acc.childCount):
            found = focused(acc[i])
            if found:
                return found
    except Exception:  # an object that went away while it was read
        return None
    return None


def unnamed_controls(acc, path=""):
    """Controls a screen reader offers (those on the screen) that have no name."""
    import pyatspi
    out = []
    try:
        if not acc.getState().contains(pyatspi.STATE_SHOWING):
            return out
        role, name = acc.getRoleName(), acc.name
        here = f"{path}/{role}"
        if role in CONTROL_ROLES and not name.strip():
            out.append(here)
        for i in range(acc.childCount):
            out += unnamed_controls(acc[i], here)
    except Exception:
        pass
    return out


def run(binary):
    import pyatspi
    workdir = x.make_workdir()
    # The registry's own bus and its socket belong to this run: a folder of its own, and a
    # process group that ends with it.
    runtime = os.path.join(workdir, "atspi-runtime")
    os.makedirs(runtime, mode=0o700)
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True,
                                env=dict(os.environ, XDG_RUNTIME_DIR=runtime))
    server = None
    try:
        server = x.XServer(workdir)
        server.set_layout("us")
        editor = x.Editor(server, binary, workdir, env_extra={
            "QT_ACCESSIBILITY": "1", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"]})
        editor.wait_main_window("^無題　－タブレラ$")
        desktop = pyatspi.Registry.getDesktop(0)
        app = x.poll("Tabrella on the accessibility bus", lambda: next(
            (desktop[i] for i in range(desktop.childCount)
             if desktop[i] and desktop[i].name == "Tabrella"), None), PATIENCE)
        names = []
        pyatspi.Registry.registerEventListener(
            lambda e: names.append(e.source.name if e.source else ""),
            "object:property-change:accessible-name")
        score_area = x.poll("the focused score area", lambda: focused(app), PATIENCE)
        if score_area.getRoleName() != "text":
            raise Failure(f"the score area is a {score_area.getRoleName()}, not a text")

        # 1. Dozens of random keys, each read back as Orca reads the focused object.
        rng = random.Random(int(os.environ.get("TABRELLA_SEED", "26")))
        model = Score()
        keys = list(range(10, 21)) + [KEY_O, KEY_O, RIGHT_BRACKET, DOWN, DOWN, UP]
        for n in range(40):
            key = rng.choice(keys)
            del names[:]
            server.key(key)
            model.press(key)
            cell, words = model.expected()

            def heard():
                pump()
                said = score_area.name
                # The score area's own name change, not the status bar's ("マス N　").
                spoken = any(name.startswith(cell) for name in names)
                return spoken and cell in said and words in said and said

            try:
                x.poll(f"key {key}", heard, PATIENCE)
            except Failure:
                raise Failure(f"after key #{n} ({key}) the score area says "
                              f"{score_area.name!r}, expected {cell!r} and {words!r}; "
                              f"name changes: {names!r}")

        # 2. No control without a name, in the window and in two dialogs.
        unnamed = unnamed_controls(app)
        for caption, downs in (("^調子の設定$", 0), ("^テンポの変更$", 1)):
            server.key(f"{ALT}+{KEY_P}")
            pump(0.3)
            if downs:
                server.key(*([DOWN] * downs))
            server.key(RETURN)
            dialog = server.wait_window(caption, PATIENCE)
            pump(0.3)
            unnamed += [caption + p for p in unnamed_controls(app)]
            server.key(ESCAPE)
            server.wait_gone(dialog, caption, PATIENCE)
            editor.refocus()
        if unnamed:
            raise Failure("controls without a name: " + ", ".join(sorted(set(unnamed))[:20]))
        print("ok: 40 keys read back, every control named")
        return 0
    finally:
        if server:
            server.close()
        os.killpg(launcher.pid, signal.SIGTERM)
        launcher.wait()
        shutil.rmtree(workdir, ignore_errors=True)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    missing = x.missing_tools() + [t for t in ("dbus-run-session",) if not shutil.which(t)]
    if not os.path.exists(LAUNCHER):
        missing.append(LAUNCHER)
    if missing:
        print("skipped, not installed:", ", ".join(missing))
        return x.SKIP
    if os.environ.get("TABRELLA_ATSPI_BUS") != "1":
        # The registry runs on a session bus of the test's own, gone when the test ends.
        probe = subprocess.run([SYSTEM_PYTHON, "-c", "import pyatspi"], capture_output=True)
        if probe.returncode != 0:
            print("skipped: pyatspi is not installed (python3-pyatspi)")
            return x.SKIP
        env = dict(os.environ, TABRELLA_ATSPI_BUS="1")
        return subprocess.run(["dbus-run-session", "--", SYSTEM_PYTHON, os.path.abspath(__file__),
                               *sys.argv[1:]], env=env, timeout=110).returncode
    try:
        return run(sys.argv[1])
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    except Exception:
        traceback.print_exc()
        return 1


if __name__ == "__main__":
    sys.exit(main())
