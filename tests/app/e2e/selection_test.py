"""A selection opened as Explorer opens it: twenty starts of Kelvoria.exe at
the same moment, one song each, with no player running before. One player
remains, listing the twenty songs in Explorer's order of names ("Track 2"
before "Track 10") and playing the first; every other start ends with 0."""
import os
import subprocess
import sys
import tempfile

from kelvoria_e2e import DEADLINE, Build, Player, check, eventually, first_tone, quiet_home, set_setting, tone, wine

build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-selection-")
names = ["Track %d.wav" % number for number in range(1, 21)]
for name in names:
    tone(os.path.join(folder, name), 880 if name == "Track 1.wav" else 440, 3)


def rows():
    out = wine(build, os.path.join(os.path.dirname(build.run_dir), "tests", "list_rows.exe"), capture=True)
    return [row.lstrip("\\") for row in out.stdout.splitlines()] if out.returncode == 0 else []


check(rows() == [], "no player runs before")
set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, raw = quiet_home()
# Explorer hands the files out in no order of ours.
starts = [Player(build, "Z:" + os.path.join(folder, names[at * 7 % 20]).replace("/", "\\"), home=home)
          for at in range(20)]
try:
    eventually(lambda: len(rows()) >= 20, "twenty songs listed", deadline=DEADLINE * 4)
    check(rows() == names, "the player lists the twenty songs once each, in the order of their names")
    eventually(lambda: sum(s.running() for s in starts) <= 1, "every start but the player to end", DEADLINE * 2)
    player = [s for s in starts if s.running()]
    check(len(player) == 1 and all(s.exit_code() == 0 for s in starts if s not in player),
          "one player remains; the nineteen other starts end with 0")
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) > 176400 * 2, "two seconds heard")
    check(abs((first_tone(raw) or 0) - 880) < 20, "the first of them, Track 1, plays")
    wine(build, "taskkill", "/im", "Kelvoria.exe", capture=True)
    check(player[0].exit_code() == 0, "the player ends with 0 when told to close")
finally:
    for start in starts:
        start.kill()
