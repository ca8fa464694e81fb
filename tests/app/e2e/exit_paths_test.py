"""The ways out, each while something runs: a song, the open-files dialog, a
message box, a scan of C: (made to hold 16,000 more folders, long to walk).
Each run ends with 0; the end of the session is agreed to and done by the
time WM_ENDSESSION returns (bench/end_session.exe)."""
import os
import shutil
import sys

from kelvoria_e2e import (Build, Player, check, click_until, eventually, quiet_home, release_at, set_setting,
                          shown_named, tone, visible_main_window, visible_tool_windows, wine)

build = Build(sys.argv)
end_session = os.path.join(os.path.dirname(build.run_dir), "bench", "end_session.exe")
home, raw = quiet_home()
song = os.path.join(home, "tone.mp3")
tone(song, 440, 30)
tree = os.path.join(build.prefix, "drive_c", "exit-paths-walk")
shutil.rmtree(tree, ignore_errors=True)
for folder in range(8000):
    os.makedirs(os.path.join(tree, "dir%04d" % folder, "inner"))


def tool_window(main, x, y, title, other=None):
    return click_until(main, x, y, lambda: ([w for w in visible_tool_windows() if w != other] or [None])[0], title)


def playing(main):
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) >= 176400, "a second of the song")


def open_files(main):
    click_until(main, 488, 62, lambda: shown_named("Open"), "the open-files dialog")


def message_box(main):
    playlist = tool_window(main, 570, 40, "the playlist window")
    click_until(playlist, 175, 247, lambda: shown_named("Nothing to save"), "the box of Save with no songs")


def scanning(main):
    playlist = tool_window(main, 570, 40, "the playlist window")
    search = tool_window(playlist, 60, 267, "the search window", playlist)
    release_at(search, 27, 106)     # C:, the first drive
    release_at(search, 97, 223)     # Start
    check(not shown_named("Done :"), "the walk of C: runs")


def session_end(main):
    answers = wine(build, end_session, capture=True).stdout.split()
    check(answers == ["query", "1", "gone", "1"], "the session's end is agreed to and done %s" % answers)


def close_area(main):
    release_at(main, 570, 20)


def wm_close(main):
    wine(build, end_session, "close", capture=True)


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
try:
    for state, song_given, way_out in [(playing, True, session_end), (open_files, True, session_end),
                                       (message_box, False, wm_close), (scanning, True, close_area)]:
        if os.path.exists(raw):
            os.remove(raw)
        player = Player(build, "Z:" + song.replace("/", "\\") if song_given else None, home=home)
        try:
            state(eventually(visible_main_window, "the main window"))
            way_out(visible_main_window())
            code = player.exit_code()
            check(code == 0, "%s, then %s: exit code %d" % (state.__name__, way_out.__name__, code))
        finally:
            player.kill()
finally:
    shutil.rmtree(tree)
