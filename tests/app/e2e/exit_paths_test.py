"""The player's ways out, each from a state that keeps something running:
a song playing, the open-files dialog, a message box, a scan of drive C:
(made to hold 16,000 more folders, long to walk). Each run ends with exit status
0; the end of the session is answered yes and done by the time
WM_ENDSESSION returns (end_session.exe)."""
import os
import shutil
import sys

from kelvoria_e2e import (Build, Player, check, click_until, eventually, quiet_home, release_at, set_setting,
                          shown_named, tone, visible_main_window, visible_tool_windows, wine)

build = Build(sys.argv)
tests = os.path.join(os.path.dirname(build.run_dir), "tests")
home, raw = quiet_home()
song = os.path.join(home, "tone.mp3")
tone(song, 440, 30)
tree = os.path.join(build.prefix, "drive_c", "exit-paths-walk")
shutil.rmtree(tree, ignore_errors=True)
for folder in range(8000):
    os.makedirs(os.path.join(tree, "dir%04d" % folder, "inner"))
C_BOX, START, SEARCH_AREA, SAVE_AREA = (27, 106), (97, 223), (60, 267), (175, 247)


def playing(main):
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) >= 176400, "a second of the song")


def open_files(main):
    click_until(main, 488, 62, lambda: shown_named("Open"), "the open-files dialog")


def playlist_of(main):
    return click_until(main, 570, 40, lambda: (visible_tool_windows() or [None])[0], "the playlist window")


def message_box(main):
    click_until(playlist_of(main), *SAVE_AREA, lambda: shown_named("Nothing to save"), "the Nothing to save box")


def scanning(main):
    playlist = playlist_of(main)
    release_at(playlist, *SEARCH_AREA)
    search = eventually(lambda: ([w for w in visible_tool_windows() if w != playlist] or [None])[0], "the search window")
    release_at(search, *C_BOX)
    release_at(search, *START)
    check(not shown_named("Done :"), "the walk of C: runs")


def session_end(main):
    answers = wine(build, os.path.join(tests, "end_session.exe"), capture=True).stdout.split()
    check(answers == ["query", "1", "gone", "1"], "the session's end is agreed to and done when it returns %s" % answers)


def close_area(main):
    release_at(main, 570, 20)


def wm_close(main):
    wine(build, os.path.join(tests, "end_session.exe"), "close", capture=True)


CASES = [   # (what runs, the song on the command line, the way out)
    (playing, True, session_end),
    (open_files, True, session_end),
    (message_box, False, wm_close),
    (scanning, True, close_area),
]
set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
try:
    for state, with_song, way_out in CASES:
        what = "%s, then %s" % (state.__name__, way_out.__name__)
        if os.path.exists(raw):
            os.remove(raw)
        player = Player(build, "Z:" + song.replace("/", "\\") if with_song else None, home=home)
        try:
            main = eventually(visible_main_window, "the main window (%s)" % what)
            state(main)
            way_out(main)
            check(player.exit_code() == 0, "%s: the player ends with exit code 0" % what)
        finally:
            player.kill()
finally:
    shutil.rmtree(tree)
