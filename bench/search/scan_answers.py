"""The scan through the search window of Kelvoria.exe, with the mouse, of
drive D: (filled by run-background-bench.sh), while answer_probe.exe asks
the main window for an answer every 50 ms. Prints the time from Start to
the "Done :" box and to the last name read from tags, and the probe's
figures.
    scan_answers.py WINE_EXEC PREFIX RUN_DIR"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "app", "e2e"))
from kelvoria_e2e import (Build, Player, click_until, eventually, quiet_home, release_at,  # noqa: E402
                          set_setting, settle, shown_named, visible_main_window, visible_tool_windows, xdotool)

build = Build(sys.argv)
tests = os.path.join(os.path.dirname(build.run_dir), "tests")


def rows():
    return subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir, os.path.join(tests, "list_rows.exe")],
                          capture_output=True, cwd=build.run_dir).stdout.decode("utf-8").splitlines()


set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, _ = quiet_home()
stop = tempfile.mktemp(prefix="kelvoria-probe-")
player = Player(build, home=home)
try:
    main = eventually(visible_main_window, "the main window")
    probe = subprocess.Popen(["bash", build.wine_exec, build.prefix, build.run_dir,
                              os.path.join(tests, "..", "bench", "answer_probe.exe"), "Z:" + stop.replace("/", "\\")],
                             stdout=subprocess.PIPE, text=True)
    playlist = click_until(main, 570, 40, lambda: (visible_tool_windows() or [None])[0], "the playlist window")
    release_at(playlist, 60, 267)
    search = eventually(lambda: ([w for w in visible_tool_windows() if w != playlist] or [None])[0], "the search window")
    release_at(search, 27, 126)
    release_at(search, 97, 223)
    started = time.monotonic()
    done = eventually(lambda: shown_named("Done :"), "the Done box", deadline=300)
    walked = time.monotonic() - started
    # The box stays up until the tags are read: under Wine with no window
    # manager, hiding a window waits 2 s for one, which is no part of the scan.
    eventually(lambda: (lambda r: len(r) == 1999 and all(" - " in row for row in r))(rows()), "every name from tags",
               deadline=300)
    tagged = time.monotonic() - started
    open(stop, "w").close()
    report = probe.communicate(timeout=60)[0]
    print("Start to the Done box %.0f ms, to the last name from tags at most %.0f ms" % (walked * 1000, tagged * 1000))
    print("\n".join(line for line in report.splitlines() if not line.startswith("title:")))
    xdotool("windowactivate", "--sync", done)
    settle()
    xdotool("key", "Return")
finally:
    player.kill()
