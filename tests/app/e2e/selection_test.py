"""A selection opened as Explorer opens it: twenty starts of Kelvoria.exe at
the same moment, one song each, with no player running before. One player
remains, listing the twenty songs in Explorer's order of names ("Track 2"
before "Track 10") and playing the first; every other start ends with 0."""
import os
import subprocess
import sys
import tempfile

from kelvoria_e2e import (DEADLINE, Build, Player, check, eventually, first_tone, quiet_home, set_setting, tone)

SONGS = 20
build = Build(sys.argv)
tests_dir = os.path.join(os.path.dirname(build.run_dir), "tests")
folder = tempfile.mkdtemp(prefix="kelvoria-selection-")
names = ["Track %d.wav" % number for number in range(1, SONGS + 1)]
for name in names:
    tone(os.path.join(folder, name), 880 if name == "Track 1.wav" else 440, 3)


def rows():
    out = subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir, os.path.join(tests_dir, "list_rows.exe")],
                         capture_output=True, cwd=build.run_dir)
    return [row.lstrip("\\") for row in out.stdout.decode("utf-8").splitlines()] if out.returncode == 0 else []


check(rows() == [], "no player runs before")
set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, raw = quiet_home()
# Explorer hands the files out in no order of ours: the starts go in a
# scrambled one.
order = [names[at * 7 % SONGS] for at in range(SONGS)]
starts = [Player(build, "Z:" + os.path.join(folder, name).replace("/", "\\"), home=home) for name in order]
try:
    listed = eventually(lambda: len(rows()) >= SONGS and rows(), "twenty songs listed", deadline=DEADLINE * 4)
    check(listed == names, "the player lists the twenty songs once each, in the order of their names")
    running = eventually(lambda: [s for s in starts if s.running()] if sum(s.running() for s in starts) <= 1 else None,
                         "every start but the player to end", deadline=DEADLINE * 2)
    check(len(running) == 1 and all(s.exit_code() == 0 for s in starts if s not in running),
          "one player remains; the nineteen other starts end with 0")
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) > 176400 * 2, "two seconds heard")
    heard = first_tone(raw)
    check(heard and abs(heard - 880) < 20, "the first of them, Track 1, plays (%s Hz heard)" % heard)
    check(rows() == names, "the list stays as it was")
    subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir, "taskkill", "/im", "Kelvoria.exe"],
                   cwd=build.run_dir, capture_output=True)
    check(running[0].exit_code() == 0, "the player ends with 0 when told to close")
finally:
    for start in starts:
        start.kill()
