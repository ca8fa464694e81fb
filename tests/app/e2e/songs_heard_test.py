"""Songs opened through the real file dialog are heard in order: two tones,
440 Hz then 880 Hz, chosen together in the dialog, reach ALSA's file plugin
one after the other."""
import os
import subprocess
import sys
import tempfile

from kelvoria_e2e import (Build, Player, answer_file_dialog, check, eventually, frequency, left_channel, quiet_home,
                          release_at, set_setting, visible_main_window)

build = Build(sys.argv)
folder = tempfile.mkdtemp(prefix="kelvoria-songs-")
for name, hz in (("one.wav", 440), ("two.wav", 880)):
    subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    "sine=frequency=%d:duration=4" % hz, "-ac", "2", "-c:a", "pcm_s16le",
                    os.path.join(folder, name)], check=True)

set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
home, raw = quiet_home()
player = Player(build, home=home)
try:
    main = eventually(visible_main_window, "the main window")
    release_at(main, 488, 62)       # the open area
    answer_file_dialog("Open", "Z:" + folder.replace("/", "\\"), '"one.wav" "two.wav"')

    # Both songs play to their end: 4 + 4 seconds in all.
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) >= 176400 * 6, "both songs to be heard")
    release_at(main, 570, 20)
    check(player.exit_code() == 0, "the player ends with 0")
finally:
    player.kill()

left = left_channel(raw)
sound = [i for i, s in enumerate(left) if abs(s) > 1000]
check(sound, "sound was captured")
start, end = sound[0], sound[-1]


first = frequency(left[start + 22050:start + 44100 + 22050])
last = frequency(left[end - 44100 - 22050:end - 22050])
print("heard %.1f Hz first and %.1f Hz last, %.2f s of sound" % (first, last, (end - start) / 44100.0))
check(abs(first - 440) < 5, "the first song chosen is heard first")
check(abs(last - 880) < 5, "the second song follows it")
