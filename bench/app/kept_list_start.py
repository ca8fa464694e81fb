"""A start that comes back to a kept list of 1,999 songs (tagged and untagged,
of four kinds): the time from the start of Kelvoria.exe to its main window
shown, and the longest the main window leaves answer_probe.exe's asks (every
50 ms) unanswered over the 10 s after it is shown, while the names are read
from tags in the background.
    kept_list_start.py WINE_EXEC PREFIX RUN_DIR FILES_DIR"""
import glob
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "app", "e2e"))
from kelvoria_e2e import Build, Player, eventually, quiet_home, set_setting, visible_main_window  # noqa: E402

build = Build(sys.argv[:4])
files = sys.argv[4]
PROBED_S = 10


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def write_kept_list(songs):
    roaming = [r for r in glob.glob(os.path.join(build.prefix, "drive_c", "users", "*", "AppData", "Roaming"))
               if os.sep + "Public" + os.sep not in r][0]
    os.makedirs(os.path.join(roaming, "Kelvoria"), exist_ok=True)
    with open(os.path.join(roaming, "Kelvoria", "Kept.m3u8"), "w", encoding="utf-8", newline="\r\n") as kept:
        kept.write("#EXTM3U\n#KELVORIA-PLACE:count=%d,song=1,ms=0,state=stopped,shuffle=0,restart=0\n" % len(songs))
        for song in songs:
            kept.write("#EXTINF:-1,%s\n%s\n" % (os.path.basename(song), windows_path(song)))
        kept.write("#KELVORIA-END\n")


songs = sorted(glob.glob(os.path.join(files, "song*.*")), key=lambda p: int(re.sub(r"\D", "", os.path.basename(p))))
for name, value in (("Minimize", "No"), ("Playlist", "No"), ("Autoplay", "No")):
    set_setting(build, name, value)
write_kept_list(songs[:1999])
stop = tempfile.mktemp(prefix="kelvoria-probe-")
home, _ = quiet_home()
started = time.monotonic()
player = Player(build, home=home, come_back=True)
try:
    eventually(visible_main_window, "the main window", deadline=60)
    shown = time.monotonic() - started
    probe = subprocess.Popen(["bash", build.wine_exec, build.prefix, build.run_dir,
                              os.path.join(os.path.dirname(build.run_dir), "bench", "answer_probe.exe"),
                              windows_path(stop)], stdout=subprocess.PIPE, text=True)
    time.sleep(PROBED_S)
    open(stop, "w").close()
    report = probe.communicate(timeout=60)[0]
    rows = subprocess.run(["bash", build.wine_exec, build.prefix, build.run_dir,
                           os.path.join(os.path.dirname(build.run_dir), "tests", "list_rows.exe")],
                          capture_output=True, cwd=build.run_dir).stdout.decode("utf-8").splitlines()
    print("rows listed: %d, named from tags: %d" % (len(rows), sum(" - " in row for row in rows)))
    print("start to the main window shown: %.0f ms" % (shown * 1000))
    print("\n".join(line for line in report.splitlines() if not line.startswith("title:")))
finally:
    player.kill()
    if os.path.exists(stop):
        os.remove(stop)
