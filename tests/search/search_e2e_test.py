"""A scan from outside, as a user makes one, of a music folder as people
have them today: every kind the player knows, some with upper-case
extensions, names in Greek, Japanese and an emoji, tags in those scripts,
all inside a read-only folder (as Windows marks a customised Music folder).
The playlist window's search area opens the search window, the box of drive
D: (a folder of the build that make-search-drives.sh maps, filled here) is
ticked, Start, the "Done :" box dismissed. Then the list shows every song by
its tag name, the first song of each newer kind is heard in the sound
capture, and the list, saved through the playlist window, names exactly the
tree's music files, in UTF-8, the program's code page.
    search_e2e_test.py WINE_EXEC PREFIX RUN_DIR DRIVE_DIR"""
import os
import stat
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "e2e"))
from kelvoria_e2e import (Build, Player, answer_file_dialog, check, click_until, eventually, frequencies,  # noqa: E402
                          quiet_home, release_at, set_setting, settle, shown_named, visible_main_window,
                          visible_tool_windows, xdotool)

build = Build(sys.argv)
drive = sys.argv[4]
MUSIC = "Music"     # read-only
# name: (tone in Hz, codec options, artist, title); None for what is not music.
tree = {
    "one.mp3": (440, [], "", ""),
    "Album/two.ogg": (494, ["-c:a", "libvorbis"], "", ""),
    "Album/three.wav": (392, [], "", ""),
    "\u03a9\u03bc\u03ad\u03b3\u03b1/\u03b3\u03ac\u03bc\u03bc\u03b1.wma": (349, ["-c:a", "wmav2"], "", ""),
    "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac/\u03c4\u03c1\u03b1\u03b3\u03bf\u03cd\u03b4\u03b9.FLAC":
        (523, ["-c:a", "flac", "-f", "flac"], "\u0395\u03bb\u03ad\u03bd\u03b7", "\u03a4\u03c1\u03b1\u03b3\u03bf\u03cd\u03b4\u03b9"),
    "\u65e5\u672c\u8a9e/\u6b4c.M4A": (587, ["-c:a", "aac", "-f", "ipod"], "\u5c71\u7530", "\u6b4c"),
    "\U0001f3b5 emoji.opus": (659, ["-c:a", "libopus", "-f", "opus"], "\u00c9moji", "\U0001f3b5 \u041d\u043e\u0442\u044b"),
    "raw.AAC": (698, ["-c:a", "aac", "-f", "adts", "-write_id3v2", "1"], "Raw", "Stream"),
    "notes.txt": None, "cover.jpg": None, "folder.mp3/": None,
}
NEWER_KINDS = (523, 587, 659, 698)

for name, song in tree.items():
    path = os.path.join(drive, MUSIC, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if song is None:
        if not name.endswith("/"):
            open(path, "w").close()
        continue
    hz, codec, artist, title = song
    tags = ["-metadata", "artist=" + artist, "-metadata", "title=" + title] if artist else []
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=%d:duration=3" % hz, "-ac", "2"] + codec + tags + [path], check=True)
for folder, _, _ in os.walk(os.path.join(drive, MUSIC)):
    os.chmod(folder, stat.S_IRUSR | stat.S_IXUSR | stat.S_IRGRP | stat.S_IXGRP | stat.S_IROTH | stat.S_IXOTH)
music = sorted("D:\\%s\\%s" % (MUSIC, name.replace("/", "\\")) for name, song in tree.items() if song)
shown = sorted("%s - %s" % (song[2], song[3]) if song[2] else name.split("/")[-1]
               for name, song in tree.items() if song)

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
home, raw = quiet_home()
player = Player(build, home=home)
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

    def listed_rows():
        return subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir,
                               os.path.join(os.path.dirname(build.run_dir), "tests", "list_rows.exe")],
                              capture_output=True, cwd=build.run_dir).stdout.decode("utf-8").splitlines()
    # Tags are read beside the player: a row shows its file name until its tags are in.
    last = []
    def rows_as_shown():
        last[:] = listed_rows()
        return list(last) if sorted(last) == shown else None
    try:
        rows = eventually(rows_as_shown, "every song to be listed, by its tags where it has them")
    finally:
        print("rows:", last, "expected:", shown)
    def tones_heard():
        tones = {round(hz) for hz in frequencies(raw)} if os.path.exists(raw) else set()
        return tones if all(any(abs(hz - kind) < 4 for hz in tones) for kind in NEWER_KINDS) else None
    print("heard: %s Hz" % sorted(eventually(tones_heard, "the first song of each newer kind to be heard")))

    release_at(playlist, *SAVE_AREA)
    answer_file_dialog("Save As", "Z:" + saved.replace("/", "\\"))
    told = eventually(lambda: shown_named("Playlist successfully saved in :"), "the saved box")
    press_return_in(told)

    eventually(lambda: not shown_named("Playlist successfully saved in :"), "the saved box to close")
    click_until(main, 570, 20, lambda: not player.running(), "the player to end through its close area")
    check(player.exit_code() == 0, "the player ends with 0")
finally:
    player.kill()
    for folder, _, _ in os.walk(os.path.join(drive, MUSIC)):
        os.chmod(folder, stat.S_IRWXU)     # the next run's fixture set-up empties the drive

lines = open(saved + ".m3P", "rb").read().decode("utf-8").splitlines()
print("saved list:", lines)
check(lines[0] == str(len(music)), "the list counts the %d music files of the tree" % len(music))
check(all("?" not in line for line in lines[1:]), "no listed path carries a '?'")
check(sorted(lines[1:]) == music, "the listed paths name the tree's music files")
