"""The player driven from outside by real key presses (one table: window, key, what must follow), read as a screen
reader reads it (accessible_areas.exe), by its rows (list_rows.exe) and by the sound captured; one table of areas
(window, name, role, rectangle); one default action, heard; a row dragged and the list's menu."""
import os
import re
import struct
import subprocess
import sys
import tempfile
import time

from kelvoria_e2e import (Build, Player, accessible_areas, check, eventually, geometry, quiet_home, set_setting,
                          shown_named, tone, visible_main_window, visible_tool_windows, xdotool)
from kelvoria_e2e import probe as run_probe

build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-keys-")
SONGS = (("one.mp3", 440), ("two.mp3", 660), ("three.mp3", 880))
for name, hz in SONGS:
    tone(os.path.join(folder, name), hz, 1200)


def probe(*args):
    return run_probe(build, *args)


def areas():
    return accessible_areas(build)


def label(name_pattern):
    """The name of the main window's child that matches, as read aloud."""
    return next((name for window, name in areas() if window == "Kelvoria" and re.match(name_pattern, name)), None)


def status():
    return label(r"^(Playing\.\.\.|Paused\.|Stopped\.|Currently Idle)") or ""


def title():
    """The song named by the title label, without the backslash a path alone is shown with."""
    name = label(r"^\\?(one|two|three)\.mp3$")
    return name.lstrip("\\") if name else ""


def seconds():
    m = re.match(r"(\d+):(\d\d) of", areas().get(("Kelvoria", "Position"), (None, None, ""))[2])
    return int(m.group(1)) * 60 + int(m.group(2)) if m else None


def rows():
    return [row.lstrip("\\") for row in probe("list_rows.exe") or []]


def focused(window):
    return (probe("accessible_areas.exe", "focus", window) or [None])[0]


def heard(hz):
    """The last tenth of a second captured is a tone of `hz`."""
    size = os.path.getsize(raw) if os.path.exists(raw) else 0
    if size < 17640:
        return False
    with open(raw, "rb") as f:
        f.seek((size - 17640) // 4 * 4)
        left = struct.unpack("<%dh" % (17640 // 2), f.read(17640))[0::2]
    crossings = [i for i in range(1, len(left)) if left[i - 1] < 0 <= left[i]]
    if max(left) < 1000 or len(crossings) < 3:
        return False
    return abs((len(crossings) - 1) / ((crossings[-1] - crossings[0]) / 44100.0) - hz) < hz * 0.02


def capture_grows():
    """Sound reaches the capture within 0.2 s. Pausing is told so: a tick can write the "Playing..." line over
    "Paused." when a new second began just before the pause."""
    before = os.path.getsize(raw)
    time.sleep(0.2)
    return os.path.getsize(raw) > before


def list_menu():
    """The list's menu: a shown window of the player, unnamed, smaller than any tool window."""
    for window in xdotool("search", "--onlyvisible", "--class", "kelvoria.exe").split():
        place = geometry(window)
        if place and xdotool("getwindowname", window).strip() == "" and place[2] < 300 and place[3] < 150:
            return window
    return None


def playlist_shown():
    return len(visible_tool_windows()) == 1


def dialog_then_escape(title_text):
    def shown_then_closed():
        dialog = shown_named(title_text)
        if dialog:
            xdotool("windowfocus", "--sync", dialog)
            xdotool("key", "Escape")
        return dialog
    return shown_then_closed


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, raw = quiet_home()
paths = ["Z:" + os.path.join(folder, name).replace("/", "\\") for name, _ in SONGS]
player = Player(build, paths, home=home)
try:
    main = eventually(visible_main_window, "the main window")
    eventually(lambda: re.search(r"n\S* 1 / 3$", status()), "the first song")
    eventually(lambda: heard(440), "the first song to be heard")
    xdotool("windowfocus", "--sync", main)
    start = {}

    # (window, key, what must follow, what it is)
    KEYS = [
        ("main", "c", lambda: not capture_grows(), "C pauses"),
        ("main", "Right", lambda: seconds() == start["paused"] + 5, "Right seeks 5 s on"),
        ("main", "Left", lambda: seconds() == start["paused"], "Left seeks 5 s back"),
        ("main", "c", capture_grows, "C resumes"),
        ("main", "space", lambda: not capture_grows(), "Space pauses"),
        ("main", "space", capture_grows, "Space resumes"),
        ("main", "b", lambda: title() == "two.mp3" and heard(660), "B plays the next song"),
        ("main", "z", lambda: title() == "one.mp3" and heard(440), "Z plays the previous song"),
        ("main", "v", lambda: status() == "Stopped.", "V stops"),
        ("main", "x", lambda: status().startswith("Playing...") and heard(440), "X plays"),
        ("main", "Tab", lambda: focused("Kelvoria") == "Play or pause", "Tab marks the first area"),
        ("main", "Tab", lambda: focused("Kelvoria") == "Previous", "Tab moves the mark on"),
        ("main", "shift+Tab", lambda: focused("Kelvoria") == "Play or pause", "Shift+Tab moves it back"),
        ("main", "Return", lambda: not capture_grows(), "Enter acts on the marked area"),
        ("main", "space", capture_grows, "so does Space"),
        ("main", "ctrl+o", dialog_then_escape("Open"), "Ctrl+O opens the music dialog"),
        ("main", "ctrl+l", dialog_then_escape("Open"), "Ctrl+L opens the playlist dialog"),
        ("main", "ctrl+s", dialog_then_escape("Save As"), "Ctrl+S opens the save dialog"),
        ("main", "ctrl+p", playlist_shown, "Ctrl+P shows the playlist window"),
        ("playlist", "alt+Down", lambda: rows() == ["two.mp3", "one.mp3", "three.mp3"], "Alt+Down moves the row down"),
        ("playlist", "alt+Up", lambda: rows() == ["one.mp3", "two.mp3", "three.mp3"], "Alt+Up moves it back"),
        ("playlist", "Delete", lambda: rows() == ["two.mp3", "three.mp3"] and heard(440),
         "Delete removes the playing song, which plays on"),
        ("playlist", "Return", lambda: title() == "two.mp3" and heard(660), "Enter plays the selected song"),
        ("playlist", "Tab", lambda: focused("Playlist") == "Open playlist", "Tab leaves the list for the areas"),
        ("playlist", "b", lambda: title() == "three.mp3", "the player's keys act in the playlist window"),
        ("playlist", "Escape", lambda: not playlist_shown(), "Escape hides the playlist window"),
    ]
    for window, key, done, what in KEYS:
        if key == "Right":
            start["paused"] = eventually(seconds, "the position")     # paused and still: it stays
        xdotool("key", key)
        eventually(done, what, deadline=30)
        print("ok: %s (%s, %s)" % (what, window, key))

    # (window, name, role, (x, y, w, h) from the window's top-left corner).
    # The display has no window manager to hand the X focus back once the
    # playlist window is unmapped: the test gives it, as a click would.
    xdotool("windowfocus", "--sync", main)
    xdotool("key", "ctrl+p")
    eventually(playlist_shown, "the playlist window again")
    AREAS = [
        ("Kelvoria", "Play or pause", "push button", (460, 10, 51, 38)),
        ("Kelvoria", "Previous", "push button", (420, 42, 43, 40)),
        ("Kelvoria", "Open files", "push button", (473, 53, 32, 19)),
        ("Kelvoria", "Next", "push button", (516, 44, 41, 37)),
        ("Kelvoria", "Stop", "push button", (467, 76, 46, 36)),
        ("Kelvoria", "Close", "push button", (560, 19, 20, 9)),
        ("Kelvoria", "Playlist", "push button", (565, 33, 26, 28)),
        ("Kelvoria", "Settings", "push button", (565, 61, 26, 34)),
        ("Kelvoria", "Minimise to tray", "push button", (561, 98, 22, 10)),
        ("Kelvoria", "Analyser", "push button", (381, 56, 30, 39)),
        ("Kelvoria", "Position", "slider", (22, 4, 410, 35)),
        ("Playlist", "Close", "push button", (324, 9, 21, 8)),
        ("Playlist", "Songs", "list", (20, 22, 315, 208)),    # 223 high, cut to whole rows
        ("Playlist", "Open playlist", "push button", (12, 241, 105, 13)),
        ("Playlist", "Save playlist", "push button", (123, 241, 106, 13)),
        ("Playlist", "Clear list", "push button", (233, 241, 107, 13)),
        ("Playlist", "Search for music", "push button", (39, 261, 50, 13)),
    ]
    found = areas()
    for window, name, role, place in AREAS:
        check(found.get((window, name), (None, None))[:2] == (role, place),
              "%s: %s, %s at %s (read: %s)" % (window, name, role, place, found.get((window, name))))
    check(re.match(r"^\d+:\d\d of 20:00$", found[("Kelvoria", "Position")][2]),
          "the position bar's value is the time heard: %s" % found[("Kelvoria", "Position")][2])
    texts = [name for (window, name), (role, _, _) in found.items() if window == "Kelvoria" and role == "static text"]
    check(len(texts) == 2 and any(t.startswith("Playing...") for t in texts), "the labels are read as text: %s" % texts)

    # The settings and search windows, opened by default actions, closed by Escape.
    for opener, window, close_place, control in ((("Kelvoria", "Settings"), "Settings", (322, 69, 18, 15), "Shuffle"),
                                                 (("Playlist", "Search for music"), "Search", (211, 40, 18, 15), "Start")):
        probe("accessible_areas.exe", "act", *opener)
        eventually(lambda: (window, "Close") in areas(), "the %s window" % window)
        found = areas()
        check(found[(window, "Close")][:2] == ("push button", close_place), "%s: its close area" % window)
        check(found.get((window, control), ("",))[0] in ("check button", "push button"), "%s: %s" % (window, control))
        xdotool("key", "Escape")
        eventually(lambda: (window, "Close") not in areas(), "Escape to close the %s window" % window)

    # One default action, heard: Previous, from outside.
    check(probe("accessible_areas.exe", "act", "Kelvoria", "Previous") is not None, "the default action is taken")
    eventually(lambda: heard(660), "the previous song to be heard after the default action")

    # The list edited with the mouse: a row dragged onto the next, and the
    # list's menu (its second item, Remove) on a row right-clicked.
    playlist = visible_tool_windows()[0]
    x, y, _, _ = geometry(playlist)
    row_y = lambda row: y + 22 + 13 * row + 6        # rows 13 pixels high from the list's top
    xdotool("mousemove", x + 100, row_y(0))
    xdotool("mousedown", 1)
    for step in range(1, 6):
        xdotool("mousemove", x + 100, row_y(0) + 13 * step // 5)
    xdotool("mouseup", 1)
    eventually(lambda: rows() == ["three.mp3", "two.mp3"], "the dragged row to move")
    print("ok: a row dragged onto the next moves there")
    xdotool("mousemove", x + 100, row_y(0))
    xdotool("click", 3)
    eventually(list_menu, "the list's menu")
    xdotool("key", "Down", "Down", "Return")
    eventually(lambda: rows() == ["two.mp3"], "Remove from the list's menu")
    check(heard(660), "the playing song plays on through the edits")
    probe("accessible_areas.exe", "act", "Kelvoria", "Close")
    check(player.exit_code() == 0, "the close area's default action ends the player with 0")
finally:
    player.kill()
