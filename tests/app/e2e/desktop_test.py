"""Kelvoria at home on the desktop, driven from outside with trayer as the
notification area: a start with a quoted path plays it; a second start with
/add hands its path to the running player and ends, leaving one player; with
the player in the tray and another program's window holding the focus, the
Next Track key moves on to the appended song; a second start without paths
brings the player back from the tray. The captured sound runs faster than
real time here (ALSA's file plugin writes to its null device unpaced), so
what is heard and in which order is checked, never when."""
import os
import sys
import tempfile
import time

from kelvoria_e2e import (Build, Player, Tray, check, click_until, eventually, frequencies, quiet_home, release_at,
                          set_setting, shown_named, tone, visible_main_window, xdotool)

build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-desktop-")
first = os.path.join(folder, "first song.mp3")      # a blank: Explorer quotes such a path
second = os.path.join(folder, "second.wav")
tone(first, 440, 240)
tone(second, 880, 3)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def heard(raw):
    return frequencies(raw) if os.path.exists(raw) else []


def near(hz, target):
    return abs(hz - target) < 5


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, raw = quiet_home()
tray = Tray()
player = Player(build, windows_path(first), home=home)
others = []
try:
    main = eventually(visible_main_window, "the main window")
    eventually(lambda: any(near(hz, 440) for hz in heard(raw)), "the quoted path's song to be heard")
    print("ok: a start with a quoted path plays it")

    started = time.monotonic()
    later = Player(build, ["/add", windows_path(second)], home=home)
    others.append(later)
    check(later.exit_code(deadline=10) == 0, "the second start ends with 0")
    print("the second start ended after %.2f s" % (time.monotonic() - started))
    at_hand_over = len(heard(raw))
    check(len(xdotool("search", "--name", "^Kelvoria_v1.0$").split()) == 1, "one player is left")

    click_until(main, 570, 102, lambda: visible_main_window() is None, "the player to hide in the tray")
    eventually(tray.icons, "the tray icon")
    notepad = Player(build, program="notepad.exe")
    others.append(notepad)
    note = eventually(lambda: shown_named(".*Notepad"), "another program's window")
    xdotool("windowfocus", "--sync", note)
    check(xdotool("getwindowfocus").strip() == note, "the other program holds the focus")
    xdotool("key", "XF86AudioNext")
    eventually(lambda: any(near(hz, 880) for hz in heard(raw)), "the appended song after the Next Track key")
    sound = heard(raw)
    switch = next(i for i, hz in enumerate(sound) if near(hz, 880))
    check(all(near(hz, 440) for hz in sound[1:min(at_hand_over, switch - 1)]),
          "the first song went on playing after the hand-over")
    check(switch < 200, "the key, not the first song's end, moved on (after %d s of 240)" % switch)

    restorer = Player(build, home=home)
    others.append(restorer)
    check(restorer.exit_code(deadline=10) == 0, "a second start without paths ends with 0")
    main = eventually(visible_main_window, "the main window back from the tray")
    eventually(lambda: tray.icons() == [], "the tray icon to go")
    print("ok: a second start without paths restores the player")
    click_until(main, 570, 20, lambda: not player.running(), "the player to end through its close area")
    check(player.exit_code() == 0, "the player ends with 0")
finally:
    for other in others:
        other.kill()
    player.kill()
    tray.stop()
