"""The player quits in the middle of a song and comes back there: the kept
position is no later than what was heard, the next start without paths
shows the song paused, and its first Play goes on from the kept frame (each
frame of the numbered song says where it is). A damaged kept list is set
aside, and the status line says so."""
import os
import re
import subprocess
import sys
import tempfile

from kelvoria_e2e import (Build, Player, check, click_until, eventually, kept_lists, numbered_frames, numbered_song,
                          quiet_home, set_setting, visible_main_window)

RATE = 44100
DAMAGED = "The kept list was damaged; it is set aside."
CLOSE, PLAY = (570, 23), (485, 28)


def status():
    """The main window's status line, as a screen reader reads it."""
    out = subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir,
                          os.path.join(os.path.dirname(build.run_dir), "tests", "accessible_areas.exe"), "list"],
                         capture_output=True, cwd=build.run_dir).stdout.decode("utf-8")
    names = [line.split("|")[1] for line in out.splitlines() if line.startswith("Kelvoria|")]
    return next((name for name in names if name in ("Paused.", DAMAGED)), None)


def quit_player(player):
    window = eventually(visible_main_window, "the main window")
    click_until(window, *CLOSE, lambda: not player.running(), "the player to quit")
    check(player.exit_code() == 0, "the player quit cleanly")


build = Build(sys.argv)
song = os.path.join(tempfile.mkdtemp(prefix="kelvoria-come-back-"), "numbered.wav")
numbered_song(song, 12)
for name, value in (("Minimize", "No"), ("Playlist", "No"), ("Autoplay", "No")):
    set_setting(build, name, value)

home, raw = quiet_home()
player = Player(build, "Z:" + song.replace("/", "\\"), home=home)
eventually(lambda: len(numbered_frames(raw)) > 3 * RATE, "three seconds of the song to be played")
quit_player(player)
lists = kept_lists(build)
check(len(lists) == 1, "the player kept its list")
place = re.search(r"#KELVORIA-PLACE:count=1,song=1,ms=(\d+),state=playing", open(lists[0], encoding="utf-8").read())
check(place is not None, "the kept place is the first song, playing")
kept_frame = round(int(place.group(1)) * RATE / 1000)
heard = numbered_frames(raw)
# To the second: the device's own queue lies between what it was handed and
# what it says it played.
check(3 * RATE <= kept_frame and abs(kept_frame - heard[-1]) < RATE,
      "the kept position (frame %d) is within a second of the last frame the device got (%d)"
      % (kept_frame, heard[-1]))

home, raw = quiet_home()
player = Player(build, home=home, come_back=True)
window = eventually(visible_main_window, "the main window again")
check(eventually(status, "the status line") == "Paused." and not numbered_frames(raw), "it came back paused")
click_until(window, *PLAY, lambda: numbered_frames(raw), "the song to play on")
first = numbered_frames(raw)[0]
check(abs(first - kept_frame) <= 1, "Play went on from frame %d, the kept frame %d" % (first, kept_frame))
quit_player(player)

with open(lists[0], "ab") as kept:
    kept.write(b"C:\\half a line")
player = Player(build, home=quiet_home()[0], come_back=True)
check(eventually(status, "the status line") == DAMAGED, "a damaged kept list is told of")
check(not kept_lists(build) and os.path.exists(lists[0] + ".damaged"), "and set aside")
os.remove(lists[0] + ".damaged")
quit_player(player)
