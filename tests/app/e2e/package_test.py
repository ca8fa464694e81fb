"""The release zip, as a Windows user gets it: made by cpack, unpacked into
a fresh folder, it holds exactly the program, its engine, the skins, an
empty Playlists folder, the readme and the FFmpeg licence files; started
from there it shows its face and plays the start-up playlist.
    package_test.py WINE_EXEC PREFIX BUILD_DIR PACKAGE_NAME"""
import os
import subprocess
import sys
import tempfile
import zipfile

from kelvoria_e2e import (Build, Player, check, eventually, first_tone, quiet_home, release_at,
                          set_setting, visible_main_window)

wine_exec, prefix, build_dir, name = sys.argv[1:5]
subprocess.run(["cpack", "--config", os.path.join(build_dir, "CPackConfig.cmake")], cwd=build_dir, check=True,
               stdout=subprocess.DEVNULL)
archive = os.path.join(build_dir, "packages", name + ".zip")
check(os.path.isfile(archive), "cpack made %s.zip" % name)

expected = {name + "/" + entry for entry in (
    "Kelvoria.exe", "fmod.dll", "readme.txt", "FFMPEG-NOTICE.txt", "COPYING.LGPLv2.1.txt", "Playlists/",
    "Skins/Skin.bmp", "Skins/Playlist2.bmp", "Skins/Settings.bmp", "Skins/Search.bmp",
    "Skins/Equalizer.bmp")}
with zipfile.ZipFile(archive) as z:
    entries = {e for e in z.namelist() if not (e.endswith("/") and e != name + "/Playlists/")}
    check(entries == expected, "the zip holds exactly %s" % sorted(expected))
    unpacked = tempfile.mkdtemp(prefix="kelvoria-unzipped-")
    z.extractall(unpacked)
folder = os.path.join(unpacked, name)
notice = open(os.path.join(folder, "FFMPEG-NOTICE.txt"), encoding="ascii").read()
check("Lesser General Public License" in notice and "apt-get source ffmpeg" in notice,
      "the notice names the LGPL and where FFmpeg's source comes from")

# The start-up playlist of the unpacked folder: one tone of 440 Hz.
song = os.path.join(tempfile.mkdtemp(prefix="kelvoria-song-"), "tone.mp3")
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                "sine=frequency=440:duration=4", "-ac", "2", song], check=True)
with open(os.path.join(folder, "Playlists", "Startup.m3P"), "wb") as f:
    f.write(b"1\r\nZ:" + song.replace("/", "\\").encode() + b"\r\n")

build = Build([None, wine_exec, prefix, folder])
set_setting(build, "Playlist", "Yes")
set_setting(build, "Minimize", "No")
home, raw = quiet_home()
player = Player(build, "/startup", home=home)
try:
    main = eventually(visible_main_window, "the main window of the unpacked program")
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) >= 176400 * 2, "two seconds of the song")
    release_at(main, 570, 20)       # the close area
    check(player.exit_code() == 0, "the unpacked program ends with 0")
finally:
    player.kill()

hz = first_tone(raw)
check(hz is not None, "the unpacked program was heard")
check(abs(hz - 440) < 5, "the start-up song is heard at %.1f Hz" % hz)
