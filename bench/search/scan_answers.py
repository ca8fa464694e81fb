"""The scan through the search window of Kelvoria.exe, with the mouse, of
drive D: (filled by run-background-bench.sh or run-done-box-bench.sh), while
answer_probe.exe asks the main window for an answer every 50 ms from before
Start to after the "Done :" box. Prints the time from Start to the box and
to the last name read from tags (tagged songs only), and the probe's figures:
"since begin" covers Start, the box up 3 s, its answer and 4 s after it has
gone.
    scan_answers.py WINE_EXEC PREFIX RUN_DIR [SONGS [untagged]]
SONGS is the rows the scan gives (1,999 by default, all named from tags)."""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "app", "e2e"))
from kelvoria_e2e import (Build, Player, click_until, eventually, quiet_home, release_at,  # noqa: E402
                          set_setting, settle, shown_named, visible_main_window, visible_tool_windows, xdotool)

build = Build(sys.argv[:4])
songs = int(sys.argv[4]) if len(sys.argv) > 4 else 1999
tagged = len(sys.argv) <= 5 or sys.argv[5] != "untagged"
tests = os.path.join(os.path.dirname(build.run_dir), "tests")
BOX_UP_S = 3
AFTER_BOX_S = 4


def rows():
    return subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir, os.path.join(tests, "list_rows.exe")],
                          capture_output=True, cwd=build.run_dir).stdout.decode("utf-8").splitlines()


def all_listed(listed):
    return len(listed) == songs and (not tagged or all(" - " in row for row in listed))


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, _ = quiet_home()
stop = tempfile.mktemp(prefix="kelvoria-probe-")
begin = tempfile.mktemp(prefix="kelvoria-probe-begin-")
player = Player(build, home=home)
try:
    main = eventually(visible_main_window, "the main window")
    probe = subprocess.Popen(["bash", build.wine_exec, build.prefix, build.run_dir,
                              os.path.join(tests, "..", "bench", "answer_probe.exe"), windows_path(stop),
                              windows_path(begin)], stdout=subprocess.PIPE, text=True)
    playlist = click_until(main, 570, 40, lambda: (visible_tool_windows() or [None])[0], "the playlist window")
    release_at(playlist, 60, 267)
    search = eventually(lambda: ([w for w in visible_tool_windows() if w != playlist] or [None])[0], "the search window")
    release_at(search, 27, 126)
    open(begin, "w").close()
    release_at(search, 97, 223)
    started = time.monotonic()
    done = eventually(lambda: shown_named("Done :"), "the Done box", deadline=300)
    walked = time.monotonic() - started
    eventually(lambda: all_listed(rows()), "every row", deadline=300)
    listed = time.monotonic() - started
    time.sleep(max(0.0, BOX_UP_S - (listed - walked)))
    xdotool("windowactivate", "--sync", done)
    settle()
    answered = time.monotonic()
    xdotool("key", "Return")
    eventually(lambda: not shown_named("Done :"), "the Done box answered")
    gone = time.monotonic()
    time.sleep(AFTER_BOX_S)
    open(stop, "w").close()
    report = probe.communicate(timeout=60)[0]
    print("Start to the Done box %.0f ms, to every row%s at most %.0f ms"
          % (walked * 1000, " named from tags" if tagged else "", listed * 1000))
    print("box up at %.0f, answered at %.0f, gone at %.0f (monotonic ms, as the probe's ticks)"
          % ((started + walked) * 1000, answered * 1000, gone * 1000))
    print("\n".join(line for line in report.splitlines() if not line.startswith("title:")))
finally:
    player.kill()
    for mark in (stop, begin):
        if os.path.exists(mark):
            os.remove(mark)
