#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests: the real tabrella on a private X server, typed at by keycode.

usage: e2e_test.py TABRELLA SCENARIO

Each scenario types a score on one keyboard layout, plays it (there is no sound device,
so the sequencer's error comes up and the cursor steps on), saves it through the real file
dialog, leaves, comes back to the file, and compares the file on disk byte for byte with
the score that was typed. Exits 77 (skipped) when Xvfb or xdotool is not installed.
"""

import os
import re
import shutil
import signal
import sys
import time
import traceback

import xsession as x
from xsession import (ALT, CTRL, DOWN, ESCAPE, F1, HOME, INSERT, KEY_A, KEY_C, KEY_F, KEY_K,
                      KEY_L, KEY_N, KEY_O, KEY_S, KEY_X, KEY_Y, LEFT, PAGE_DOWN, PAGE_UP, RETURN, RIGHT,
                      UP, Failure)

KEY_Z = 52
MAIN_CAPTION = "^無題　－タブレラ$"
NEW_CAPTION = MAIN_CAPTION
MESSAGE_BOX = "^Tabrella$"  # message boxes carry the application title
SAVED_NOTICE = "^ファイル保存の確認$"
SAVE_DIALOG = "^名前を付けて保存$"
OPEN_DIALOG = "^開く$"
TITLE_DIALOG = "^曲名の入力$"
HELP_WINDOW = "^タブレラ ヘルプ$"
SAVE_PROMPT = "^ファイルの保存$"
RECOVERY_OFFER = "^楽譜の復元$"

# Number-row keys by X keycode: 1..9, 0, -, and the two keys right of it.
DIGITS_1_TO_MINUS = list(range(10, 21))
JIS = {"^": 21, "yen": 132, "@": 34, "[": 35, ":": 48, ";": 47, "]": 51, ".": 60}
US = {"=": 21, "'": 48, "\\": 51, "`": 49, "[": 34, "]": 35, ";": 47, ".": 60}


def cell(f1=0, f2=0, f3=0, s1=0, s2=0, s3=0, split=0):
    return f"{f1} {f2} {f3} {s1} {s2} {s3} {split} ".encode()


def score_file(cells, title=None, tuning="平調子", otsu=1, base=3, tempo=80):
    """The bytes a score file holds: cell lines, then title, tuning, 乙, base tone, tempo."""
    lines = list(cells)
    lines.append(b"Title " + title.encode("cp932") if title else b"Title NULL ")
    lines += [tuning.encode("cp932"), f"{otsu} ".encode(), f"{base} ".encode(),
              f"{tempo} ".encode()]
    return b"".join(line + b"\r\n" for line in lines)


def expect_file(path, expected):
    if not os.path.exists(path):
        raise Failure(f"{path} was not written")
    with open(path, "rb") as f:
        actual = f.read()
    if actual == expected:
        return
    got = actual.decode("cp932", errors="replace").split("\r\n")
    want = expected.decode("cp932").split("\r\n")
    diff = [f"  line {i + 1}: expected {w!r}, got {g!r}"
            for i, (w, g) in enumerate(zip(want, got)) if w != g]
    if len(got) != len(want):
        diff.append(f"  {len(got)} lines instead of {len(want)}")
    raise Failure(f"{path} differs from the typed score:\n" + "\n".join(diff[:20]))


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---- steps a user takes -------------------------------------------------------------------

def silent_speakers(workdir, present=True):
    """An ALSA whose default device takes the sound and drops it: playback runs as with
    speakers, on any machine. ALSA reads the file again when it changes."""
    path = os.path.join(workdir, "null-asoundrc")
    with open(path, "w") as f:
        f.write("pcm.!default { type null }\n" if present else "")
    return {"ALSA_CONFIG_PATH": path}


def play_silently(server, editor):
    """X plays on the silent device, with no message. The sound was loaded in the background
    once the window showed, before any play."""
    x.poll("the sound module to load in the background",
           lambda: editor.has_loaded("tabrella-sound.so") and editor.has_loaded("libfluidsynth"))
    server.key(KEY_X)
    time.sleep(0.2)  # a message would show by now
    check(not server.windows(MESSAGE_BOX), "playing on a working device showed a message")


def play_without_sound(server, editor):
    """X plays with no device: the sequencer's error shows once; after Return the cursor is
    where it was and stays there."""
    before = x.red_box(server, editor.window)
    server.key(KEY_X)
    box = server.wait_window(MESSAGE_BOX)
    server.focus(box)
    server.key(RETURN)
    server.wait_gone(box, "the sequencer's message")
    editor.refocus()
    check(not server.windows(MESSAGE_BOX), "a second message box followed the first")
    time.sleep(0.5)  # longer than one step of the cursor at tempo 80 (371 ms)
    check(x.red_box(server, editor.window) == before, "the cursor stepped on without sound")


def wait_cursor_at(server, editor, box, what):
    x.poll(what, lambda: x.red_box(server, editor.window) == box, interval=0.05)


def save_through_dialog(server, editor, typed_path, dialog_keys):
    """Opens the save dialog with dialog_keys, types a path and confirms; waits out the notice."""
    server.key(*dialog_keys)
    dialog = server.wait_window(SAVE_DIALOG)
    server.focus(dialog)
    server.key(f"{CTRL}+{KEY_A}")  # the proposed name is replaced, whatever it is
    server.type_text(typed_path)
    server.key(RETURN)
    wait_saved_notice(server, editor)


def wait_saved_notice(server, editor):
    # The notice closes itself; nothing is pressed here.
    notice = server.wait_window(SAVED_NOTICE)
    server.wait_gone(notice, "the saved notice")
    editor.refocus()


def titled(path, changed=False):
    """The caption of a score from a file: its name, the change mark, the program's name."""
    return os.path.basename(path) + ("*" if changed else "") + "　－タブレラ"


def wait_caption(editor, caption):
    # The caption changes just after the dialog or notice closes.
    try:
        x.poll(f"the caption {caption!r}", lambda: editor.caption() == caption)
    except Failure as failure:
        raise Failure(f"{failure}; it reads {editor.caption()!r}") from None


def exit_through_menu(server):
    server.key(f"{ALT}+{KEY_F}", KEY_X)  # ﾌｧｲﾙ(&F) → ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)


def answer_question(server, key):
    """Answers the exit question: KEY_Y for はい, KEY_N or RETURN for the default いいえ."""
    question = server.wait_window(MESSAGE_BOX)
    server.focus(question)
    server.key(key)
    if key != KEY_Y:
        server.wait_gone(question, "the exit question")


def expect_clean_exit(editor, tmpdir):
    status = editor.wait_exit()
    check(status == 0, f"tabrella ended with status {status}")
    left = os.listdir(tmpdir)
    check(not left, f"temporary files left behind: {left}")
    noise = [line for line in editor.stderr().splitlines()
             if any(w in line.lower() for w in ("fluidsynth", "alsa", "pulse", "snd_"))]
    check(not noise, "sound library messages on the terminal:\n" + "\n".join(noise))


# ---- scenarios ----------------------------------------------------------------------------

def jis_type_play_save_reopen(server, binary, workdir):
    """JIS keyboard: the number row gives 一..巾, marks, split cell, arrows, page moves;
    play on a silent device; Ctrl+S through the file dialog; the exit question; the file
    named on the command line comes back and saves in place."""
    server.set_layout("jp")
    editor = x.Editor(server, binary, workdir, env_extra=silent_speakers(workdir))
    editor.wait_main_window(MAIN_CAPTION)

    check(not editor.has_loaded("libQt6PrintSupport"), "print support was loaded at start-up")

    # Num Lock lights its pane in the status bar and puts it out again.
    status_bar = lambda: x.status_bar_pixels(server, editor.window)
    unlit = status_bar()
    server.key(x.NUM_LOCK)
    x.poll("the NUM pane to light", lambda: status_bar() != unlit)
    server.key(x.NUM_LOCK)
    x.poll("the NUM pane to go out", lambda: status_bar() == unlit)

    # Cells 1..13: one string each, 一 to 巾, on the keys 1..9 0 - ^ ¥.
    for key in DIGITS_1_TO_MINUS + [JIS["^"], JIS["yen"]]:
        server.key(key, DOWN)
    # Cell 14: 五 with ヲ in the centre, 七 right, 十 left.
    server.key(14, KEY_O, RIGHT, 16, LEFT, LEFT, 19, DOWN)
    # Cell 15 split: 二 above, ヲ三 below.
    server.key(INSERT, 11, DOWN, 12, KEY_O, DOWN)
    # Marks: △ on 16, the two-cell ○ on 17 (18 is covered: 四 and Insert do nothing there),
    # ○ on 19 (covers 20), △ on 21, ゝ 22, ハ 23, ツ 24, ヒ 25; 斗 on 26.
    server.key(JIS["]"], DOWN, JIS[":"], DOWN, 13, INSERT, DOWN, JIS["@"], DOWN, DOWN)
    server.key(JIS["["], DOWN, JIS["."], DOWN, JIS[";"], DOWN, KEY_L, DOWN, KEY_K, DOWN, 20)

    # Play from cell 24: the cursor steps to the last used cell, 26, and stops there.
    at_last_cell = x.red_box(server, editor.window)
    check(at_last_cell is not None, "no red cursor box on the page")
    server.key(UP, UP)
    check(x.red_box(server, editor.window) != at_last_cell, "Up did not move the cursor box")
    play_silently(server, editor)
    wait_cursor_at(server, editor, at_last_cell, "the cursor to step to the last used cell")
    # C stops the timer; its next tick would otherwise step on once cells further on are used.
    server.key(KEY_C, JIS["yen"])  # 巾 replaces 斗 where the cursor stopped

    # Page Down moves the score by one column under the cursor: cell 26 + 32.
    server.key(PAGE_DOWN, 10, PAGE_UP)
    # Home goes to cell 1; Right to its right slot.
    server.key(HOME, RIGHT, 12)

    target = os.path.join(workdir, "jis")
    save_through_dialog(server, editor, target, [f"{CTRL}+{KEY_S}"])
    saved = target + ".tbr"  # the dialog adds the default extension
    wait_caption(editor, titled(saved))
    cells = [cell(0, 1, 3)] + [cell(0, k) for k in range(2, 14)] + [
        cell(10, 105, 7), cell(0, 2, 0, 0, 103, 0, 1), cell(0, 600), cell(0, 500), cell(),
        cell(0, 700), cell(), cell(0, 800), cell(0, 900), cell(0, 1000), cell(0, 1100),
        cell(0, 1200), cell(0, 13)] + [cell()] * 31 + [cell(0, 1)]
    expected = score_file(cells)
    expect_file(saved, expected)

    # A change, then Exit: いいえ and Enter keep the program; はい leaves without saving.
    server.key(17)
    for stay in (KEY_N, RETURN):
        exit_through_menu(server)
        answer_question(server, stay)
        check(editor.alive(), f"key {stay} on the exit question ended the program")
        editor.refocus()
    exit_through_menu(server)
    answer_question(server, KEY_Y)
    expect_clean_exit(editor, editor.tmpdir)
    expect_file(saved, expected)

    # Started on the file: the score is back; 十 on cell 1, then 斗 over it taken back by
    # Ctrl+Z, and Ctrl+S writes in place.
    editor = x.Editor(server, binary, workdir, saved)
    editor.wait_main_window("^" + re.escape(titled(saved)) + "$")
    server.key(19, 20, f"{CTRL}+{KEY_Z}", f"{CTRL}+{KEY_S}")
    wait_saved_notice(server, editor)
    check(not server.windows(SAVE_DIALOG), "Save asked for a name although the score has one")
    expect_file(saved, score_file([cell(0, 10, 3)] + cells[1:]))
    exit_through_menu(server)
    expect_clean_exit(editor, editor.tmpdir)


def us_marks_title_save_as_open(server, binary, workdir):
    """US keyboard: 1..9 0 - ' \\ give 一..巾 and the US punctuation gives the marks; the song
    title typed with a space; Save As a .txt file; New; Open through the dialog; Save; the
    close box asks about unsaved changes; C stops the stepping cursor."""
    server.set_layout("us")
    editor = x.Editor(server, binary, workdir, env_extra=silent_speakers(workdir))
    editor.wait_main_window(MAIN_CAPTION)

    for key in DIGITS_1_TO_MINUS + [US["'"], US["\\"]]:
        server.key(key, DOWN)
    # △ 14, ○ 15 (covers 16), ○ 17 (covers 18), △ 19, ハ 20, ゝ 21, オ七 22.
    server.key(US["]"], DOWN, US[";"], DOWN, DOWN, US["`"], DOWN, DOWN, US["["], DOWN)
    server.key(US["="], DOWN, US["."], DOWN, 16, KEY_O, KEY_O)

    # Play from the top; once the cursor has stepped, C stops it where it is.
    server.key(HOME)
    at_top = x.red_box(server, editor.window)
    play_silently(server, editor)
    x.poll("the cursor to step", lambda: x.red_box(server, editor.window) not in (at_top, None))
    server.key(KEY_C)
    time.sleep(0.1)  # the key reaches the program
    stopped_at = x.red_box(server, editor.window)
    time.sleep(0.5)  # longer than one step of the cursor at tempo 80 (371 ms)
    check(x.red_box(server, editor.window) == stopped_at, "the cursor stepped on after C")

    # 表示 → 曲名の設定 by the keyboard: Alt alone opens the menu bar.
    server.key(ALT, RIGHT, RIGHT, DOWN, DOWN, DOWN, RETURN)
    dialog = server.wait_window(TITLE_DIALOG)
    server.focus(dialog)
    # Latin letters: xdotool types other characters by remapping a spare key, which races
    # with the program's reading of the new keymap.
    server.type_text("Sakura Uta")
    server.key(RETURN)
    server.wait_gone(dialog, "the title dialog")
    editor.refocus()

    target = os.path.join(workdir, "us.txt")
    save_through_dialog(server, editor, target, [f"{ALT}+{KEY_F}", KEY_A])  # 名前を付けて保存(&A)
    wait_caption(editor, titled(target))
    cells = [cell(0, k) for k in range(1, 14)] + [
        cell(0, 600), cell(0, 500), cell(), cell(0, 700), cell(), cell(0, 800), cell(0, 1000),
        cell(0, 900), cell(0, 207)]
    # A space typed into the title is stored full-width, so the title stays one word.
    expected = score_file(cells, title="Sakura　Uta")
    expect_file(target, expected)

    # New clears the score and the caption; Open brings the file back through the dialog.
    server.key(f"{CTRL}+{KEY_N}")
    x.poll("the caption of a new score", lambda: server.windows(NEW_CAPTION))
    server.key(f"{CTRL}+{KEY_O}")
    dialog = server.wait_window(OPEN_DIALOG)
    server.focus(dialog)
    server.key(f"{CTRL}+{KEY_A}")
    server.type_text(target)
    server.key(RETURN)
    server.wait_gone(dialog, "the open dialog")
    editor.refocus()
    wait_caption(editor, titled(target))

    # The last cell changes from オ七 to 七 and Save writes the same file again.
    server.key(*[DOWN] * 21, KEY_O, KEY_O, f"{CTRL}+{KEY_S}")
    wait_saved_notice(server, editor)
    expect_file(target, score_file(cells[:-1] + [cell(0, 7)], title="Sakura　Uta"))

    # The layout switched while the program runs: the key right of - is ^ (為) on JIS, and
    # = (ハ) again once it is back to US.
    for layout, key_right_of_minus in (("jp", 12), ("us", 1000)):
        server.set_layout(layout)
        server.key(21, f"{CTRL}+{KEY_S}")
        wait_saved_notice(server, editor)
        last = cells[:-1] + [cell(0, key_right_of_minus)]
        expect_file(target, score_file(last, title="Sakura　Uta"))

    # A change, then the close box: it asks as Exit does; いいえ keeps the window.
    server.key(10)
    server.close_box(editor.window)
    answer_question(server, KEY_N)
    check(editor.alive() and server.is_viewable(editor.window), "いいえ closed the window")
    server.close_box(editor.window)
    answer_question(server, KEY_Y)
    expect_clean_exit(editor, editor.tmpdir)
    expect_file(target, score_file(last, title="Sakura　Uta"))


def help_window_without_browser(server, binary, workdir):
    """F1 shows the help in a window of the program itself: the program copied alone into an
    empty folder, and every browser replaced by one that would leave a mark. The page shows
    the drawn cells of the key table; Esc closes it and the editor goes on."""
    server.set_layout("jp")
    alone = os.path.join(workdir, "alone")
    fake_bin = os.path.join(workdir, "fake-bin")
    os.mkdir(alone)
    os.mkdir(fake_bin)
    shutil.copy(binary, alone)
    marker = os.path.join(workdir, "a-browser-was-started")
    browser = os.path.join(fake_bin, "browser")
    with open(browser, "w") as f:
        f.write(f"#!/bin/sh\ntouch '{marker}'\n")
    os.chmod(browser, 0o755)
    for name in ("xdg-open", "x-www-browser", "sensible-browser", "firefox", "chromium"):
        os.symlink(browser, os.path.join(fake_bin, name))
    editor = x.Editor(server, os.path.join(alone, "tabrella"), workdir,
                      env_extra={"PATH": fake_bin + ":" + os.environ.get("PATH", ""),
                                 "BROWSER": browser})
    editor.wait_main_window(MAIN_CAPTION)

    server.key(F1)
    help_window = server.wait_window(HELP_WINDOW)
    server.focus(help_window)
    # Down the page to the table of keys: its pictures are cells drawn with the score's
    # black lines, which the page's own grey table borders and text never make.
    server.key(PAGE_DOWN, PAGE_DOWN)
    x.poll("the drawn cells of the key table",
           lambda: x.black_runs(server, help_window, 80) >= 4)
    check(not os.path.exists(marker), "a browser was started")

    server.key(ESCAPE)
    server.wait_gone(help_window, "the help window")
    check(editor.alive(), "closing the help ended the program")
    editor.refocus()
    server.key(F1)  # it comes back
    server.wait_window(HELP_WINDOW)
    server.key(ESCAPE)
    editor.refocus()
    exit_through_menu(server)
    expect_clean_exit(editor, editor.tmpdir)
    check(not os.path.exists(marker), "a browser was started")


def drop_score_on_window(server, binary, workdir):
    """A score dragged from another program and dropped on the window opens as Open opens
    it; on a changed score the save prompt comes first, and ｷｬﾝｾﾙ keeps the typed score."""
    server.set_layout("us")
    score = os.path.join(workdir, "dropped.tbr")
    with open(score, "wb") as f:
        f.write(score_file([cell(0, 5), cell(0, 7)], title="Drop"))
    editor = x.Editor(server, binary, workdir)
    editor.wait_main_window(MAIN_CAPTION)
    source = x.DragSource(server, os.environ["TABRELLA_DRAG_SOURCE"], score)

    server.drag(source.window, editor.window)
    wait_caption(editor, titled(score))

    # A change marks the caption; a second drop asks first, and Esc (ｷｬﾝｾﾙ) keeps it.
    editor.refocus()
    server.key(11)
    wait_caption(editor, titled(score, changed=True))
    server.drag(source.window, editor.window)
    prompt = server.wait_window(SAVE_PROMPT)
    server.focus(prompt)
    server.key(ESCAPE)
    server.wait_gone(prompt, "the save prompt")
    editor.refocus()
    wait_caption(editor, titled(score, changed=True))
    expect_file(score, score_file([cell(0, 5), cell(0, 7)], title="Drop"))

def type_slowly(server, keys):
    """One string key and Down every 0.1 s; the time each string was typed."""
    typed = []
    for key in keys:
        server.key(key, DOWN)
        typed.append(time.monotonic())
        time.sleep(0.1)
    return typed


def restore_offered_copy(server):
    offer = server.wait_window(RECOVERY_OFFER)
    server.focus(offer)
    server.key(RETURN)  # 復元 is the default
    server.wait_gone(offer, "the recovery offer")


def killed_editors_work_comes_back(server, binary, workdir):
    """SIGTERM while a start-up message shows ends the program. SIGTERM half a second after
    typing into an opened file leaves the file as it was and
    a private recovery copy; the next start offers it, Enter restores it, Ctrl+S writes it
    into that file, and the start after that offers nothing. Then kill -9 right after the
    last of keys typed 0.1 s apart: at most the last two seconds of them are lost."""
    server.set_layout("us")
    # A logout while the start-up's message shows ends the program the first time.
    not_a_score = os.path.join(workdir, "not-a-score.tbr")
    with open(not_a_score, "wb") as f:
        f.write(b"no score here\r\n")
    editor = x.Editor(server, binary, workdir, not_a_score)
    server.wait_window(MESSAGE_BOX)
    editor.process.send_signal(signal.SIGTERM)
    check(editor.wait_exit() == 0, "SIGTERM during the start-up message did not end it")

    opened = os.path.join(workdir, "opened.tbr")
    original = score_file([cell(0, 13)])
    with open(opened, "wb") as f:
        f.write(original)
    editor = x.Editor(server, binary, workdir, opened)
    editor.wait_main_window("^" + re.escape(titled(opened)) + "$")
    keys = DIGITS_1_TO_MINUS[:8]
    type_slowly(server, keys)
    time.sleep(0.5)
    editor.process.send_signal(signal.SIGTERM)
    check(editor.wait_exit() == 0, "SIGTERM did not end the program cleanly")
    expect_file(opened, original)
    folder = os.path.join(workdir, "state", "Tabrella", "recovery")
    check(os.stat(folder).st_mode & 0o077 == 0, "the recovery folder is open to others")
    for name in os.listdir(folder):
        mode = os.stat(os.path.join(folder, name)).st_mode
        check(mode & 0o077 == 0, f"{name} is readable by others: {oct(mode)}")

    editor = x.Editor(server, binary, workdir)
    restore_offered_copy(server)
    editor.wait_main_window("^" + re.escape(titled(opened, changed=True)) + "$")
    server.key(f"{CTRL}+{KEY_S}")
    wait_saved_notice(server, editor)
    typed = [cell(0, k) for k in range(1, 9)]
    expect_file(opened, score_file(typed))
    exit_through_menu(server)
    expect_clean_exit(editor, editor.tmpdir)

    editor = x.Editor(server, binary, workdir)
    editor.wait_main_window(MAIN_CAPTION)
    time.sleep(1)
    check(not server.windows(RECOVERY_OFFER), "a saved score was offered again")
    keys = (DIGITS_1_TO_MINUS * 3)[:30]
    times = type_slowly(server, keys)
    editor.kill()

    editor = x.Editor(server, binary, workdir)
    restore_offered_copy(server)
    target = os.path.join(workdir, "killed.tbr")
    editor.wait_main_window("")
    save_through_dialog(server, editor, target, [f"{CTRL}+{KEY_S}"])
    with open(target, "rb") as f:
        lines = f.read().split(b"\r\n")
    strings = [int(line.split()[1]) for line in lines if len(line.split()) == 7]
    while strings and strings[-1] == 0:
        strings.pop()
    expected = [k - 9 for k in keys]  # keycode 10 is string 1
    check(strings == expected[:len(strings)], f"the restored cells are no typed state: {strings}")
    lost = times[len(strings):]
    check(not lost or times[-1] - lost[0] <= 2.0,
          f"{len(lost)} keys lost, over {times[-1] - lost[0]:.1f} s")
    exit_through_menu(server)
    expect_clean_exit(editor, editor.tmpdir)


def signal_during_export_keeps_the_old_file(server, binary, workdir):
    """SIGTERM while the audio export of a long score renders: the export stops, the old file
    stays as it was with no temporary file beside it, and the program ends as it would
    have without the export."""
    score = os.path.join(workdir, "long.tbr")
    with open(score, "wb") as f:
        f.write(score_file([cell(0, 1 + k % 13) for k in range(2999)]))
    target = os.path.join(workdir, "out.wav")
    editor = x.Editor(server, binary, workdir, score)
    editor.wait_main_window("^" + re.escape(titled(score)) + "$")
    server.key(ALT, DOWN, *[DOWN] * 5, RETURN)  # ﾌｧｲﾙ → オーディオの書き出し...
    server.focus(server.wait_window(SAVE_DIALOG))
    server.key(f"{CTRL}+{KEY_A}")
    server.type_text(target)
    server.key(RETURN)
    x.poll("the export's temporary file",
           lambda: [n for n in os.listdir(workdir) if n.startswith(".out.wav.")])
    with open(target, "wb") as f:  # what a finished export would replace
        f.write(b"the old file")
    time.sleep(0.3)  # well into the render
    editor.process.send_signal(signal.SIGTERM)
    check(editor.wait_exit() == 0, "SIGTERM during the export did not end the program cleanly")
    with open(target, "rb") as f:
        check(f.read() == b"the old file", "the export replaced the old file")
    left = [n for n in os.listdir(workdir) if n.endswith(".tmp")]
    check(not left, f"temporary files left beside the target: {left}")


def play_past_a_page(server, binary, workdir):
    """Played from the last column of the first page, the cursor turns the page with the
    music and stops on the last used cell, 230: page position 6 of the page turned to.
    Without a device the play ends at its message; once there is one, it plays."""
    server.set_layout("us")
    editor = x.Editor(server, binary, workdir, env_extra=silent_speakers(workdir, False))
    editor.wait_main_window(MAIN_CAPTION)
    server.key(*[DOWN] * 5)
    at_position_6 = x.red_box(server, editor.window)
    # 五 on cell 230, seven columns on; then page position 220 (Left steps through the slots).
    server.key(*[PAGE_DOWN] * 7, 14, *[PAGE_UP] * 7, *[LEFT] * 17, *[DOWN] * 22)
    check(x.red_box(server, editor.window) not in (None, at_position_6), "no cursor at 220")
    play_without_sound(server, editor)
    silent_speakers(workdir)
    play_silently(server, editor)
    wait_cursor_at(server, editor, at_position_6, "the cursor to turn the page to cell 230")
    exit_through_menu(server)
    answer_question(server, KEY_Y)  # はい: leave without saving
    expect_clean_exit(editor, editor.tmpdir)


def english_window_saves_what_the_japanese_saves(server, binary, workdir):
    """The window under an English locale speaks English, and the same score typed into it
    (strings, a mark, the second tuning chosen from the list that shows the readings, a
    title) saves to the very bytes the Japanese window saves."""
    server.set_layout("us")
    key_p, key_t, key_v = 33, 28, 55

    def type_score(editor, open_tuning, tuning_caption, open_title, title_caption):
        server.key(10, DOWN, 14, KEY_O, DOWN, US["]"], DOWN, US["\\"])
        server.key(*open_tuning)
        dialog = server.wait_window(tuning_caption)
        server.focus(dialog)
        server.key(DOWN, RETURN)  # the second tuning, 雲井調子
        server.wait_gone(dialog, "the tuning dialog")
        editor.refocus()
        server.key(*open_title)
        dialog = server.wait_window(title_caption)
        server.focus(dialog)
        server.type_text("Sakura")
        server.key(RETURN)
        server.wait_gone(dialog, "the title dialog")
        editor.refocus()

    english = x.Editor(server, binary, workdir, env_extra={"LANG": "en_US.UTF-8"})
    english.wait_main_window("^Untitled - Tabrella$")
    type_score(english, [f"{ALT}+{key_p}", key_t], "^Tuning$", [f"{ALT}+{key_v}", key_t],
               "^Piece Title$")
    server.key(f"{CTRL}+{KEY_S}")
    dialog = server.wait_window("^Save As$")
    server.focus(dialog)
    server.key(f"{CTRL}+{KEY_A}")
    en_path = os.path.join(workdir, "english.tbr")
    server.type_text(en_path)
    server.key(RETURN)
    notice = server.wait_window("^File Saved$")
    server.wait_gone(notice, "the saved notice")
    english.refocus()
    server.key(f"{ALT}+{KEY_F}", KEY_X)  # File → E&xit
    expect_clean_exit(english, english.tmpdir)

    japanese = x.Editor(server, binary, workdir)
    japanese.wait_main_window(MAIN_CAPTION)
    # 演奏設定 → 調子の設定 and 表示 → 曲名の設定: neither menu has a mnemonic.
    type_score(japanese, [ALT, RIGHT, RIGHT, RIGHT, DOWN, RETURN], "^調子の設定$",
               [ALT, RIGHT, RIGHT, DOWN, DOWN, DOWN, RETURN], TITLE_DIALOG)
    ja_path = os.path.join(workdir, "japanese.tbr")
    save_through_dialog(server, japanese, ja_path, [f"{CTRL}+{KEY_S}"])
    exit_through_menu(server)
    expect_clean_exit(japanese, japanese.tmpdir)

    expected = score_file([cell(0, 1), cell(0, 105), cell(0, 600), cell(0, 13)],
                          title="Sakura", tuning="雲井調子")
    expect_file(ja_path, expected)
    expect_file(en_path, expected)


def first_window_fits_small_screens(server, binary, workdir):
    """The first window, status bar and all, lies inside a 1024 x 768 screen, and at twice
    the scale inside 1280 x 1024 (the display given)."""
    small = x.XServer(workdir, "1024x768")
    try:
        for screen, size, scale in ((small, (1024, 768), "1"), (server, (1280, 1024), "2")):
            editor = x.Editor(screen, binary, os.path.join(workdir, f"scale{scale}"),
                              env_extra={"QT_SCALE_FACTOR": scale})
            editor.wait_main_window(MAIN_CAPTION)
            left, top, width, height = screen.geometry(editor.window)
            check(left >= 0 and top >= 0 and left + width <= size[0] and top + height <= size[1],
                  f"at scale {scale} the window {width}x{height}+{left}+{top} leaves the "
                  f"{size[0]}x{size[1]} screen")
            editor.kill()
    finally:
        small.close()


SCENARIOS = {f.__name__: f for f in (jis_type_play_save_reopen, us_marks_title_save_as_open,
                                     help_window_without_browser, drop_score_on_window,
                                     play_past_a_page,
                                     english_window_saves_what_the_japanese_saves,
                                     killed_editors_work_comes_back,
                                     signal_during_export_keeps_the_old_file,
                                     first_window_fits_small_screens)}


def main(argv):
    if len(argv) != 3 or argv[2] not in SCENARIOS:
        print(f"usage: {argv[0]} TABRELLA {{{','.join(SCENARIOS)}}}", file=sys.stderr)
        return 2
    binary, name = os.path.abspath(argv[1]), argv[2]
    missing = x.missing_tools()
    if missing:
        print(f"SKIP: not installed: {', '.join(missing)} (scripts/lib/deps.sh installs them)")
        return x.SKIP

    workdir = x.make_workdir()
    server = x.XServer(workdir)
    started = time.monotonic()
    try:
        SCENARIOS[name](server, binary, workdir)
        print(f"PASS {name} in {time.monotonic() - started:.1f} s")
        return 0
    except Exception as error:
        shot = os.path.abspath(f"e2e-{name}-failure.png")
        try:
            server.run("import", "-window", "root", shot)
            print(f"screen at the failure: {shot}")
        except Exception:
            pass
        if not isinstance(error, Failure):
            traceback.print_exc()
        for editor in server.editors:
            if editor.stderr():
                print("tabrella's standard error:\n" + editor.stderr())
        print(f"FAIL {name}: {error}")
        return 1
    finally:
        server.close()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
