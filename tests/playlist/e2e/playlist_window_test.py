"""The playlist window of the built Kelvoria.exe, driven as a user drives
it: shown from the main window, dragged by the right button, a playlist
file opened in the real dialog, a row double-clicked and heard, the list
saved under a typed name, cleared, the search window opened and closed,
the window hidden. Every wait is a poll with a generous deadline."""
import os
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "app", "e2e"))
from kelvoria_e2e import (Build, answer_file_dialog, Player, check, eventually, geometry, quiet_home, release_at, right_drag,  # noqa: E402
                          set_setting, settle, visible_main_window, visible_tool_windows, xdotool)

SECOND = 176400     # bytes of one second of 44.1 kHz stereo 16-bit sound


def shown(name):
    return xdotool("search", "--onlyvisible", "--name", "^%s$" % name).split()


def dismiss_message_box(caption):
    eventually(lambda: shown(caption), "the message box %r" % caption)
    xdotool("key", "Return")
    eventually(lambda: not shown(caption), "the message box %r to close" % caption)
    print("ok: the message box %r was shown" % caption)


def tone_at_end(raw, seconds=0.5):
    """The frequency of the last `seconds` captured, or None while they are
    not all sound."""
    size = os.path.getsize(raw) if os.path.exists(raw) else 0
    length = int(SECOND * seconds) // 4 * 4
    if size < length:
        return None
    with open(raw, "rb") as f:
        f.seek((size - length) // 4 * 4)
        data = f.read(length)
    left = struct.unpack("<%dh" % (len(data) // 2), data)[0::2]
    if any(max(abs(v) for v in left[i:i + 441]) < 1000 for i in range(0, len(left), 441)):
        return None     # a hundredth of a second without sound
    crossings = [i for i in range(1, len(left)) if left[i - 1] < 0 <= left[i]]
    if len(crossings) < 10:
        return None
    return (len(crossings) - 1) / ((crossings[-1] - crossings[0]) / 44100.0)


def hearing(hz):
    tone = tone_at_end(raw)
    return tone is not None and abs(tone - hz) < 5


def loud_after(offset):
    """True when any sound was captured past `offset` bytes."""
    with open(raw, "rb") as f:
        f.seek(offset // 4 * 4)
        data = f.read()
    left = struct.unpack("<%dh" % (len(data) // 4 * 2), data[:len(data) // 4 * 4])[0::2]
    return any(abs(v) > 1000 for v in left)


def double_click_row(window, y):
    wx, wy, _, _ = geometry(window)
    xdotool("mousemove", wx + 100, wy + y)
    settle()
    xdotool("click", "--repeat", "2", "--delay", "80", 1)


build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-playlist-")
windows_folder = "Z:" + folder.replace("/", "\\")
for name, hz, seconds in (("long.wav", 440, 30), ("short.wav", 880, 3)):
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=%d:duration=%d" % (hz, seconds), "-ac", "2", "-c:a", "pcm_s16le",
                    os.path.join(folder, name)], check=True)
paths = [windows_folder + "\\long.wav", windows_folder + "\\short.wav"]
listed = ("2\r\n" + "".join(p + "\r\n" for p in paths)).encode("cp1252")
with open(os.path.join(folder, "two.m3P"), "wb") as f:
    f.write(listed)

set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, raw = quiet_home()
player = Player(build, home=home)
try:
    main = eventually(visible_main_window, "the main window")
    release_at(main, 570, 40)
    playlist = eventually(visible_tool_windows, "the playlist window")[0]

    # Grabbed on the strip between the open and save areas, moved in small
    # steps so that the cursor never leaves the window it drags.
    x, y, _, _ = geometry(playlist)
    right_drag(playlist, 119, 247, 100 - x, 100 - y, steps=max(abs(100 - x), abs(100 - y)) // 8 + 1)
    eventually(lambda: geometry(playlist) == (100, 100, 353, 295), "the playlist window at (100, 100), 353 x 295")
    print("ok: the right-button drag moved the playlist window and gave it its size")

    release_at(playlist, 60, 247)
    answer_file_dialog("Open", windows_folder + "\\two.m3P")
    # With nothing played yet, the first song starts by itself.
    eventually(lambda: hearing(440), "the first song to be heard")
    double_click_row(playlist, 44)      # the second row, for rows 13 to 16 pixels high
    eventually(lambda: hearing(880), "the double-clicked song to be heard")
    check(os.path.getsize(raw) < 25 * SECOND, "the double-clicked second row plays, cutting the first short")

    release_at(playlist, 175, 247)
    answer_file_dialog("Save As", windows_folder + "\\saved")
    dismiss_message_box("Playlist successfully saved in :")
    with open(os.path.join(folder, "saved.m3P"), "rb") as f:
        check(f.read() == listed, "saved.m3P holds the count and both paths")

    double_click_row(playlist, 28)      # the first, long song again
    eventually(lambda: hearing(440), "the first song to be heard again")
    release_at(playlist, 286, 247)      # clear
    cleared_at = os.path.getsize(raw)
    # Nothing may be heard once the clear has had time to act: a negative
    # check needs a wait, and three quarters of a second is ample for one
    # click to be handled (the song would sound for the whole two seconds).
    time.sleep(2)
    check(not loud_after(cleared_at + SECOND * 3 // 4), "the clear area stops the song")
    release_at(playlist, 175, 247)
    dismiss_message_box("Nothing to save")
    print("ok: after the clear area there is nothing to save")

    release_at(playlist, 63, 267)
    eventually(lambda: len(visible_tool_windows()) == 2, "the search window")
    xdotool("key", "Escape")
    eventually(lambda: len(visible_tool_windows()) == 1, "the search window to close")
    print("ok: the search area opens the search window")

    release_at(playlist, 334, 12)
    eventually(lambda: visible_tool_windows() == [], "the playlist window to hide")
    release_at(main, 570, 40)
    eventually(lambda: len(visible_tool_windows()) == 1, "the playlist window again")
    print("ok: the hide area hides the window and the main window shows it again")

    release_at(main, 570, 20)
    check(player.exit_code() == 0, "the player ends with 0")
finally:
    player.kill()
