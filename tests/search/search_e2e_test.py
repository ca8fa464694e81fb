"""A scan from outside, as a user makes one: the playlist window's search
area opens the search window, the box of drive D: (a folder of the build
that make-search-drives.sh maps, filled here) is ticked, Start, the "Done :"
box dismissed; then the list, saved through the playlist window, names
exactly the tree's music files. One folder and one file carry Greek names:
the program speaks UTF-8, so they are listed, and saved, by those names.
    search_e2e_test.py WINE_EXEC PREFIX RUN_DIR DRIVE_DIR"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "e2e"))
from kelvoria_e2e import (Build, Player, answer_file_dialog, check, click_until, eventually, release_at,  # noqa: E402
                          set_setting, settle, shown_named, visible_main_window, visible_tool_windows, xdotool)

build = Build(sys.argv)
drive = sys.argv[4]

tree = {
    "one.mp3": True, "notes.txt": False, "cover.jpg": False,
    os.path.join("Album", "two.ogg"): True, os.path.join("Album", "three.wav"): True,
    os.path.join("\u03a9\u03bc\u03ad\u03b3\u03b1", "\u03b3\u03ac\u03bc\u03bc\u03b1.wma"): True,   # Ωμέγα/γάμμα.wma
}
for name in tree:
    path = os.path.join(drive, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, "w").close()
music = sorted("D:\\" + name.replace("/", "\\") for name, is_music in tree.items() if is_music)

# Boxes are made in drive-letter order from y 100, 20 pixels apart: C: then D:.
D_BOX = (20 + 7, 120 + 6)
START = (97, 223)           # the Start button: dialog units 21, 130, 70 x 15 at Tahoma 8 under Wine
SEARCH_AREA = (60, 267)
SAVE_AREA = (175, 247)


def press_return_in(window):
    xdotool("windowactivate", "--sync", window)
    settle()
    xdotool("key", "Return")


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
saved = os.path.join(tempfile.mkdtemp(prefix="kelvoria-search-"), "found")
player = Player(build)
try:
    main = eventually(visible_main_window, "the main window")
    playlist = click_until(main, 570, 40, lambda: (visible_tool_windows() or [None])[0], "the playlist window")

    release_at(playlist, *SEARCH_AREA)
    search = eventually(lambda: ([w for w in visible_tool_windows() if w != playlist] or [None])[0],
                        "the search window")
    release_at(search, *D_BOX)
    release_at(search, *START)
    done = eventually(lambda: shown_named("Done :"), "the Done box")
    press_return_in(done)
    eventually(lambda: not shown_named("Done :") and playlist in visible_tool_windows()
               and len(visible_tool_windows()) == 1, "the search window to close")
    print("ok: the drive was scanned and the search window closed")

    release_at(playlist, *SAVE_AREA)
    answer_file_dialog("Save As", "Z:" + saved.replace("/", "\\"))
    told = eventually(lambda: shown_named("Playlist successfully saved in :"), "the saved box")
    press_return_in(told)

    eventually(lambda: not shown_named("Playlist successfully saved in :"), "the saved box to close")
    click_until(main, 570, 20, lambda: not player.running(), "the player to end through its close area")
    check(player.exit_code() == 0, "the player ends with 0")
finally:
    player.kill()

lines = open(saved + ".m3P", "rb").read().decode("utf-8").splitlines()
print("saved list:", lines)
check(lines[0] == str(len(music)), "the list counts the %d music files of the tree" % len(music))
check(all("?" not in line for line in lines[1:]), "no listed path carries a '?'")
check(sorted(lines[1:]) == music, "the listed paths name the tree's music files")
