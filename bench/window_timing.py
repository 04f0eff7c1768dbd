#!/usr/bin/python3
"""Times the window program from outside, as a user sees it, on an X server.

    window_timing.py open PROGRAM DIRECTORY
        Starts PROGRAM with DIRECTORY as its current directory and prints
        `map_ms M paint_ms P shown_ms S`: milliseconds from starting the
        process until its window was mapped, until the first drawing into
        the mapped window, and until the last drawing before the window
        stayed unchanged (below). Then ends the program.

    window_timing.py moves PROGRAM PARENT ROUNDS SUB...
        Opens the window in PARENT, whose only subdirectories are SUB...
        (named in sorted order), and drives the directory list with the
        keyboard: for each SUB in turn, Enter on it, then Enter on PARENT
        again. Prints one line a round, `into_SUB_ms T out_SUB_ms T ...`,
        each the time from the key press to the last drawing it caused, and
        `into_SUB_first_ms T ...`, to the first.

    window_timing.py clicks PROGRAM DIRECTORY ROUNDS PAUSE_S ANCHOR...
        Opens the window in DIRECTORY, whose first file is the one clicked,
        and reads each report's three timings back from its label (Ctrl+C
        copies the report; the text is taken from the clipboard). Prints
        `first_sum_ms T ...` for the first click of the process, then one
        line a round: after PAUSE_S seconds of idling a click (`idle_`), at
        once another (`steady_`), then after the pause the command ANCHOR...
        (`anchor_idle_ms`) and at once again (`anchor_steady_ms`). Each click
        gives `_file_ms`, `_crc32_ms`, `_crc16_ms` and their `_sum_ms`.

"Unchanged" means no drawing for max(quiet time, time taken so far): the
window's parts are not drawn at once (entering a directory of 100,000 files
redraws the directory list after 0.9 s and the file list 0.5 s later), so the
wait grows with the step. TALLIX_WINDOW_QUIET_MS sets the quiet time
(default 500), TALLIX_WINDOW_TIMEOUT_S how long a window or a redraw may take
to start (default 60), TALLIX_WINDOW_TITLE the part of the title looked for
(default Tallix), TALLIX_WINDOW_LOG where the program's output goes.

Everything is event driven, no polling: the X server reports top-level
windows created and mapped under the root (SubstructureNotify) and every
drawing into the window (DAMAGE extension, raw rectangles), and this process
waits on its connection with select(), stamping each event with
CLOCK_MONOTONIC as it arrives. Keys go in through XTEST. The resolution is
that of the event delivery, well under a millisecond; starting the process
(fork and exec from Python) is inside the times, about a millisecond.

Exits 0 when every time was measured, 1 when the window did not appear or
did not respond in time or the program ended early, 2 on a usage error.
Needs python3-xlib and an X server with DAMAGE and XTEST (Xvfb has both).
"""
import os
import re
import select
import subprocess
import sys
import time

from Xlib import X, XK, display
from Xlib.ext import damage, xtest

TITLE = os.environ.get("TALLIX_WINDOW_TITLE", "Tallix")
QUIET_S = float(os.environ.get("TALLIX_WINDOW_QUIET_MS", "500")) / 1e3
TIMEOUT_S = float(os.environ.get("TALLIX_WINDOW_TIMEOUT_S", "60"))


class Failure(Exception):
    pass


def now():
    return time.monotonic()


def ms(seconds):
    return seconds * 1e3


class Screen:
    def __init__(self):
        self.d = display.Display()
        for name in ("DAMAGE", "XTEST"):
            if not self.d.has_extension(name):
                raise Failure(f"the X server lacks the {name} extension")
        self.d.damage_query_version()
        self.damage_event = self.d.query_extension("DAMAGE").first_event + damage.DamageNotifyCode
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.d.sync()
        self.damaged = {}  # window id -> damage id

    def next_event(self, deadline):
        """The next event and its arrival time, or (None, now) at the deadline."""
        while True:
            if self.d.pending_events():
                event = self.d.next_event()
                return event, now()
            remaining = deadline - now()
            if remaining <= 0:
                return None, now()
            select.select([self.d], [], [], remaining)

    def title(self, window):
        for atom in ("_NET_WM_NAME", "WM_NAME"):
            prop = window.get_full_property(self.d.intern_atom(atom), X.AnyPropertyType)
            if prop is not None and prop.value:
                value = prop.value
                return value.decode("utf-8", "replace") if isinstance(value, bytes) else str(value)
        return ""

    def watch(self, window):
        """Reports every drawing into a top-level window from now on."""
        if window.id not in self.damaged:
            self.damaged[window.id] = window.damage_create(damage.DamageReportRawRectangles)

    def keycode(self, name):
        keycode = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        if keycode == 0:
            raise Failure(f"no key {name} on this X server")
        return keycode

    def key(self, name, modifier=None):
        held = [self.keycode(modifier)] if modifier else []
        keycode = self.keycode(name)
        for code in held:
            xtest.fake_input(self.d, X.KeyPress, code)
        xtest.fake_input(self.d, X.KeyPress, keycode)
        xtest.fake_input(self.d, X.KeyRelease, keycode)
        for code in held:
            xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.flush()

    def click(self, window, x, y):
        """A press and release of the first button at (x, y) in `window`."""
        at = self.root.translate_coords(window, x, y)
        xtest.fake_input(self.d, X.MotionNotify, x=at.x, y=at.y)
        xtest.fake_input(self.d, X.ButtonPress, 1)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.flush()


class Program:
    """The window program, started and stopped by this process."""

    def __init__(self, screen, program, directory):
        self.screen = screen
        self.log = open(os.environ.get("TALLIX_WINDOW_LOG", os.devnull), "ab")
        self.window = None
        self.start = now()
        self.process = subprocess.Popen([program], cwd=directory, stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=self.log)

    def check_running(self):
        if self.process.poll() is not None:
            raise Failure(f"the program ended early with status {self.process.returncode}")

    def is_drawing(self, event):
        return (event.type == self.screen.damage_event and self.window is not None
                and event.drawable.id == self.window.id)

    def drawn(self, since, what):
        """Arrival times of the first and the last drawing into the window
        after `since`, once it has stayed unchanged."""
        s = self.screen
        first = last = None
        while True:
            if last is None:
                wait_until = since + TIMEOUT_S
            else:
                wait_until = last + max(QUIET_S, last - since)
            # Wakes up at least every quarter second to notice a program that ended.
            event, at = s.next_event(min(wait_until, now() + 0.25))
            if event is None:
                self.check_running()
                if at < wait_until:
                    continue
                if last is not None:
                    return first, last
                raise Failure(f"the window did not {what} within {TIMEOUT_S:.0f} s")
            if event.type == X.CreateNotify and event.parent.id == s.root.id:
                # Watched from its creation, so no drawing after the map is missed.
                s.watch(event.window)
            elif event.type == X.DestroyNotify:
                # The server frees its damage object; a later window may reuse the id.
                s.damaged.pop(event.window.id, None)
            elif event.type == X.MapNotify and self.window is None and not event.override:
                if TITLE in s.title(event.window):
                    self.window = event.window
                    self.mapped = at
                    s.watch(event.window)
            elif self.is_drawing(event):
                first = first or at
                last = at

    def wait_shown(self):
        """Milliseconds until mapped, first drawing and last drawing."""
        first, last = self.drawn(self.start, "show")
        return ms(self.mapped - self.start), ms(first - self.start), ms(last - self.start)

    def time_key(self, name):
        """Milliseconds from pressing a key to the first and the last drawing it caused."""
        self.settle()
        pressed = now()
        self.screen.key(name)
        first, last = self.drawn(pressed, f"respond to {name}")
        return ms(first - pressed), ms(last - pressed)

    def click(self, x, y):
        """Clicks at (x, y) in the window and waits until what it caused is drawn."""
        self.settle()
        pressed = now()
        self.screen.click(self.window, x, y)
        self.drawn(pressed, "respond to a click")

    def copied_text(self):
        """The text Ctrl+C puts on the clipboard, as the program offers it.

        This process owns the clipboard first, so the program taking it over
        (SelectionClear) says the copy is made; the text is then asked for
        as UTF-8 (SelectionNotify brings it)."""
        s = self.screen
        d = s.d
        clipboard = d.intern_atom("CLIPBOARD")
        target = d.intern_atom("UTF8_STRING")
        holder = d.intern_atom("TALLIX_TIMING")
        if not hasattr(self, "requestor"):
            self.requestor = s.root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self.requestor.set_selection_owner(clipboard, X.CurrentTime)
        d.sync()
        s.key("c", "Control_L")
        for awaited in (X.SelectionClear, X.SelectionNotify):
            deadline = now() + TIMEOUT_S
            while True:
                event, _ = s.next_event(deadline)
                if event is None:
                    raise Failure("the report was not copied to the clipboard")
                if event.type == awaited:
                    break
            if awaited == X.SelectionClear:
                self.requestor.convert_selection(clipboard, target, holder, X.CurrentTime)
                d.flush()
            elif event.property == X.NONE:
                raise Failure("the program did not give the clipboard's text")
        value = self.requestor.get_full_property(holder, X.AnyPropertyType).value
        return value.decode("utf-8") if isinstance(value, bytes) else str(value)

    def press(self, name):
        self.settle()
        self.screen.key(name)
        self.settle()

    def settle(self):
        """Waits until no drawing has arrived for the quiet time."""
        last = now()
        while True:
            event, at = self.screen.next_event(last + QUIET_S)
            if event is None:
                return
            if self.is_drawing(event):
                last = at

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


def open_window(program, directory):
    app = Program(Screen(), program, directory)
    try:
        mapped, painted, shown = app.wait_shown()
        app.check_running()
    finally:
        app.stop()
    print(f"map_ms {mapped:.1f} paint_ms {painted:.1f} shown_ms {shown:.1f}")


def moves(program, parent, rounds, subdirectories):
    screen = Screen()
    app = Program(screen, program, parent)
    try:
        app.wait_shown()
        # Without a window manager the keyboard focus stays where it is set.
        app.window.set_input_focus(X.RevertToParent, X.CurrentTime)
        screen.d.sync()
        app.press("Tab")  # from the drive list, which has the focus, to the directory list
        for _ in range(rounds):
            fields = []
            for position, name in enumerate(subdirectories, start=1):
                # The list shows PARENT's ancestors, PARENT (current), then
                # its subdirectories in order.
                for _ in range(position):
                    app.press("Down")
                into_first, into = app.time_key("Return")
                # Inside SUB, which has no subdirectories, PARENT is just above it.
                app.press("Up")
                out_first, out = app.time_key("Return")
                fields += [f"into_{name}_ms {into:.1f}", f"out_{name}_ms {out:.1f}",
                           f"into_{name}_first_ms {into_first:.1f}",
                           f"out_{name}_first_ms {out_first:.1f}"]
            app.check_running()
            print(" ".join(fields), flush=True)
    finally:
        app.stop()


TIMINGS = re.compile(r"ファイルオープン - (\d+)ms , CRC32 - (\d+)ms , CRC16 - (\d+)ms$")
# The first entry of the file list (its box starts at 3480, 240 twips).
FIRST_FILE = (260, 26)


def clicked_report(app, name):
    """Clicks the first file and reads its report's timings from the label."""
    app.click(*FIRST_FILE)
    text = app.copied_text()
    found = TIMINGS.search(text)
    if found is None:
        raise Failure(f"no timings in the copied report: {text!r}")
    file_ms, crc32_ms, crc16_ms = (int(value) for value in found.groups())
    return [f"{name}_file_ms {file_ms}", f"{name}_crc32_ms {crc32_ms}",
            f"{name}_crc16_ms {crc16_ms}", f"{name}_sum_ms {file_ms + crc32_ms + crc16_ms}"]


def anchor_ms(command):
    start = now()
    subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
    return ms(now() - start)


def clicks(program, directory, rounds, pause, anchor):
    screen = Screen()
    app = Program(screen, program, directory)
    try:
        app.wait_shown()
        app.window.set_input_focus(X.RevertToParent, X.CurrentTime)
        screen.d.sync()
        print(" ".join(clicked_report(app, "first")), flush=True)
        for _ in range(rounds):
            time.sleep(pause)
            fields = clicked_report(app, "idle") + clicked_report(app, "steady")
            time.sleep(pause)
            fields.append(f"anchor_idle_ms {anchor_ms(anchor):.1f}")
            fields.append(f"anchor_steady_ms {anchor_ms(anchor):.1f}")
            app.check_running()
            print(" ".join(fields), flush=True)
    finally:
        app.stop()


def main(argv):
    try:
        if len(argv) == 4 and argv[1] == "open":
            open_window(argv[2], argv[3])
        elif len(argv) >= 7 and argv[1] == "clicks" and argv[4].isdigit():
            clicks(argv[2], argv[3], int(argv[4]), float(argv[5]), argv[6:])
        elif len(argv) >= 6 and argv[1] == "moves" and argv[4].isdigit():
            moves(argv[2], argv[3], int(argv[4]), argv[5:])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except Failure as failure:
        print(f"window_timing.py: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
