#!/usr/bin/env bash
# Plays a 440 Hz tone through the real wave output under Wine, with ALSA's
# file plugin as the default device, and checks what reached the "speaker":
# the right amount of sound, at the tone's frequency, in both channels.
#   sound_capture.sh WINE_EXEC PREFIX DLL_DIR PLAY_FILE_EXE FIXTURE_DIR
set -euo pipefail
wine_exec=$1 prefix=$2 dll_dir=$3 player=$4 fixtures=$5

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
raw=$home/out.raw
cat > "$home/.asoundrc" <<ASOUND
pcm.!default {
    type file
    slave.pcm "null"
    file "$raw"
    format "raw"
}
ASOUND

# A sound server of the user's would take the sound instead of ALSA.
HOME=$home PULSE_SERVER=none bash "$wine_exec" "$prefix" "$dll_dir" "$player" "$fixtures/tagged.mp3"

python3 - "$raw" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
frames = len(data) // 4
print(f"captured {frames} frames ({frames / 44100:.2f} s)")
# The tone lasts 5 s; the device may add a little silence around it.
assert 4.5 * 44100 <= frames <= 7 * 44100, "wrong amount of sound"
samples = struct.unpack(f'<{frames * 2}h', data[:frames * 4])
left, right = samples[0::2], samples[1::2]
middle = left[44100:44100 * 3]
peak = max(abs(s) for s in middle)
# The tone is an eighth of full scale; at volume 255 it must arrive so.
assert 3400 <= peak <= 4400, f"wrong level: peak {peak}"
crossings = [i for i in range(1, len(middle)) if middle[i - 1] < 0 <= middle[i]]
hz = (len(crossings) - 1) / ((crossings[-1] - crossings[0]) / 44100)
print(f"frequency {hz:.1f} Hz, peak {peak}")
assert abs(hz - 440) < 440 * 0.01, "wrong frequency"
assert max(abs(l - r) for l, r in zip(left[44100:44100 * 3], right[44100:44100 * 3])) <= 1, "channels differ"
print("sound capture: the tone arrived whole")
PY

# With no usable device the engine plays on in silence, in real time.
cat > "$home/.asoundrc" <<ASOUND
pcm.!default { type hw; card 57 }
ctl.!default { type hw; card 57 }
ASOUND
report=$(HOME=$home PULSE_SERVER=none bash "$wine_exec" "$prefix" "$dll_dir" "$player" "$fixtures/tagged.mp3")
echo "$report"
python3 - "$report" <<'PY'
import re, sys
length, heard, took = map(int, re.match(r'length (\d+) ms, heard (\d+) ms, took (\d+) ms', sys.argv[1]).groups())
assert heard == length, "the song did not play to its end"
assert took >= length - 100, "silent playback ran faster than real time"
print("silent playback: the song took its own length")
PY
