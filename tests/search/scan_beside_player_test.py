"""A scan of a large tree beside the playing player, from outside, with the
mouse: 120,000 files in 12,000 folders on drive D:, one short song in every
fourth folder. The first scan runs to its "Done :" box while the songs it
brings play and move on; a second is cancelled 0.3 s after its Start, long
before its walk could end, and keeps what it found: the list's rows are the
first songs of the walk, in its order. A small program asks the main window
for an answer every 50 ms all along (answer_probe.exe): every ask is
answered, and the longest wait is printed.
    scan_beside_player_test.py WINE_EXEC PREFIX RUN_DIR DRIVE_DIR"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "e2e"))
from kelvoria_e2e import (Build, Player, check, click_until, eventually, quiet_home, release_at,  # noqa: E402
                          set_setting, settle, shown_named, visible_main_window, visible_tool_windows, xdotool,
                          geometry)

build = Build(sys.argv)
drive = sys.argv[4]
FOLDERS, FILES = 12000, 10
D_BOX = (20 + 7, 120 + 6)
START = (97, 223)
CANCEL = (267, 230)         # dialog units 125, 135, 60 x 14, as Start is placed
SEARCH_AREA = (60, 267)

song = os.path.join(drive, "song.wav")
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "sine=frequency=440:duration=0.5", "-ac", "2", song], check=True)
walk_order = []
for folder in range(FOLDERS):
    path = os.path.join(drive, "dir%05d" % folder)
    os.mkdir(path)
    for number in range(FILES - 1):
        open(os.path.join(path, "note%d.txt" % number), "w").close()
    if folder % 4 == 0:
        os.link(song, os.path.join(path, "song%05d.wav" % folder))
        walk_order.append("song%05d.wav" % folder)
os.remove(song)


def rows():
    out = subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir,
                          os.path.join(os.path.dirname(build.run_dir), "tests", "list_rows.exe")],
                         capture_output=True, cwd=build.run_dir).stdout.decode("utf-8")
    return out.splitlines()


def search_window(playlist):
    return ([w for w in visible_tool_windows() if w != playlist] or [None])[0]


def answer_done():
    done = eventually(lambda: shown_named("Done :"), "the Done box")
    xdotool("windowactivate", "--sync", done)
    settle()
    xdotool("key", "Return")
    eventually(lambda: not shown_named("Done :"), "the Done box to close")


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, _ = quiet_home()
stop = tempfile.mktemp(prefix="kelvoria-probe-")
player = Player(build, home=home)
probe = None
try:
    main = eventually(visible_main_window, "the main window")
    probe = subprocess.Popen(["bash", build.wine_exec, build.prefix, build.run_dir,
                              os.path.join(os.path.dirname(build.run_dir), "tests", "answer_probe.exe"),
                              "Z:" + stop.replace("/", "\\")], stdout=subprocess.PIPE, text=True)
    playlist = click_until(main, 570, 40, lambda: (visible_tool_windows() or [None])[0], "the playlist window")
    release_at(playlist, *SEARCH_AREA)
    search = eventually(lambda: search_window(playlist), "the search window")
    release_at(search, *D_BOX)
    release_at(search, *START)
    answer_done()
    check(len(rows()) == 1999, "the first scan filled the list")
    eventually(lambda: search not in visible_tool_windows(), "the search window to end after its Done box")

    # Opened again, D: ticked, then Start and Cancel 0.3 s later, in one go.
    release_at(playlist, *SEARCH_AREA)
    search = eventually(lambda: search_window(playlist), "the search window again")
    release_at(search, *D_BOX)
    x, y, _, _ = geometry(search)
    xdotool("mousemove", x + START[0], y + START[1], "click", 1, "sleep", "0.3",
            "mousemove", x + CANCEL[0], y + CANCEL[1], "click", 1)
    kept = eventually(lambda: (lambda a, b, c: a if a == b == c and a else None)(rows(), rows(), rows()),
                      "the rows to settle")
    check(not shown_named("Done :"), "no Done box after Cancel")
    print("kept %d rows after Cancel" % len(kept))
    check(0 < len(kept) < len(walk_order) and kept == walk_order[:len(kept)],
          "the rows are the first songs of the walk, in its order")
    check(search in visible_tool_windows(), "the search window stays open after Cancel")
    click_until(search, 220, 47, lambda: search not in visible_tool_windows(), "the search window to close")
    check(rows() == kept, "closing the search window after Cancel adds nothing")
finally:
    open(stop, "w").close()
    report = probe.communicate(timeout=60)[0] if probe else ""
    player.kill()
print("\n".join(line for line in report.splitlines() if not line.startswith("title:")))
titles = {line for line in report.splitlines() if line.startswith("title: song")}
check(len(titles) >= 2, "songs moved on while the scans ran")
asks, unanswered, longest = report.split("asks ")[1].split()[0], report.split("unanswered ")[1].split()[0], \
    report.split("longest ")[1].split()[0]
check(int(asks) > 10 and int(unanswered) == 0, "the main window answered all %s asks (longest wait %s ms)"
      % (asks, longest))
