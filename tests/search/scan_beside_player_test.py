"""A scan of a large tree beside the playing player, from outside, with the
mouse: 120,000 files in 12,000 folders on drive D:, a short song in every
fourth folder. The first scan runs to its "Done :" box while the songs it
brings play and move on; a second is cancelled 0.3 s after its Start, long
before its walk could end, and keeps the first songs of the walk, in order.
answer_probe.exe asks the main window for an answer every 50 ms all along:
every ask is answered (the longest wait is printed, not judged).
    scan_beside_player_test.py WINE_EXEC PREFIX RUN_DIR DRIVE_DIR"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "e2e"))
from kelvoria_e2e import (Build, Player, check, click_until, eventually, geometry, quiet_home,  # noqa: E402
                          release_at, set_setting, settle, shown_named, visible_main_window, visible_tool_windows,
                          xdotool)

build = Build(sys.argv)
tests = os.path.join(os.path.dirname(build.run_dir), "tests")
drive = sys.argv[4]
D_BOX, START, CANCEL, SEARCH_AREA = (27, 126), (97, 223), (267, 230), (60, 267)   # Cancel: as Start is placed



def remove_tree():
    """The folders this test makes on the drive, which the other scan tests share: gone before and after."""
    for name in os.listdir(drive):
        if name.startswith("dir") and os.path.isdir(os.path.join(drive, name)):
            shutil.rmtree(os.path.join(drive, name))


remove_tree()
song = os.path.join(drive, "song.wav")
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "sine=frequency=440:duration=0.5", "-ac", "2", song], check=True)
walk_order = []
for folder in range(12000):
    path = os.path.join(drive, "dir%05d" % folder)
    os.mkdir(path)
    for number in range(9):
        open(os.path.join(path, "note%d.txt" % number), "w").close()
    if folder % 4 == 0:
        walk_order.append("song%05d.wav" % folder)
        os.link(song, os.path.join(path, walk_order[-1]))
os.remove(song)


def rows():
    return subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir, os.path.join(tests, "list_rows.exe")],
                          capture_output=True, cwd=build.run_dir).stdout.decode("utf-8").splitlines()


def open_search_window_with_d(playlist):
    release_at(playlist, *SEARCH_AREA)
    search = eventually(lambda: ([w for w in visible_tool_windows() if w != playlist] or [None])[0], "the search window")
    release_at(search, *D_BOX)
    return search


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
stop = tempfile.mktemp(prefix="kelvoria-probe-")
player = Player(build, home=quiet_home()[0])
probe = None
try:
    main = eventually(visible_main_window, "the main window")
    probe = subprocess.Popen(["bash", build.wine_exec, build.prefix, build.run_dir,
                              os.path.join(tests, "..", "bench", "answer_probe.exe"), "Z:" + stop.replace("/", "\\")],
                             stdout=subprocess.PIPE, text=True)
    playlist = click_until(main, 570, 40, lambda: (visible_tool_windows() or [None])[0], "the playlist window")
    search = open_search_window_with_d(playlist)
    release_at(search, *START)
    done = eventually(lambda: shown_named("Done :"), "the Done box")
    xdotool("windowactivate", "--sync", done)
    settle()
    xdotool("key", "Return")
    eventually(lambda: search not in visible_tool_windows(), "the search window to end after its Done box")
    check(len(rows()) == 1999, "the first scan filled the list")

    search = open_search_window_with_d(playlist)
    x, y, _, _ = geometry(search)
    xdotool("mousemove", x + START[0], y + START[1], "click", 1, "sleep", "0.3",
            "mousemove", x + CANCEL[0], y + CANCEL[1], "click", 1)
    kept = eventually(lambda: (lambda a, b, c: a if a == b == c and a else None)(rows(), rows(), rows()),
                      "the rows to settle")
    check(not shown_named("Done :") and search in visible_tool_windows(), "no Done box after Cancel, the window open")
    check(0 < len(kept) < len(walk_order) and kept == walk_order[:len(kept)],
          "the %d rows kept are the first songs of the walk, in its order" % len(kept))
    click_until(search, 220, 47, lambda: search not in visible_tool_windows(), "the search window to close")
    check(rows() == kept, "closing the search window after Cancel adds nothing")
finally:
    open(stop, "w").close()
    report = probe.communicate(timeout=60)[0] if probe else ""
    player.kill()
    remove_tree()
print("\n".join(line for line in report.splitlines() if not line.startswith("title:")))
check(len({line for line in report.splitlines() if line.startswith("title: song")}) >= 2,
      "songs moved on while the scans ran")
asks, unanswered = (int(report.split(word)[1].split()[0]) for word in ("asks ", "unanswered "))
check(asks > 10 and unanswered == 0, "the main window answered all %d asks" % asks)
