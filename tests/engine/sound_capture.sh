#!/usr/bin/env bash
# Plays a tone of each kind of file through the real sound output under Wine,
# with ALSA's file plugin as the default device, and checks what reached the
# "speaker": the right amount of sound, at the tone's frequency and level,
# in both channels.
#   sound_capture.sh WINE_EXEC PREFIX DLL_DIR PLAY_FILE_EXE FIXTURE_DIR
set -euo pipefail
wine_exec=$1 prefix=$2 dll_dir=$3 player=$4 fixtures=$5

capture_config=$(dirname "$0")/../support/alsa_capture.py
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
raw=$home/out.raw
# ALSA's default device records into $raw; a sound server of the user's
# would take the sound instead of ALSA.
export ALSA_CONFIG_PATH
ALSA_CONFIG_PATH=$(python3 "$capture_config" "$home" "$raw")
for tone in tagged.mp3:440 tagged.flac:770 tagged.m4a:1000 tagged.opus:1200 id3v2.aac:1300; do
    file=${tone%:*} hz=${tone#*:}
    rm -f "$raw"
    HOME=$home PULSE_SERVER=none bash "$wine_exec" "$prefix" "$dll_dir" "$player" "$fixtures/$file"
    python3 - "$raw" "$file" "$hz" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
name, expected = sys.argv[2], float(sys.argv[3])
frames = len(data) // 4
samples = struct.unpack(f'<{frames * 2}h', data[:frames * 4])
# The tone lasts 5 s; the device adds silence around it (before it, and
# after it as the end is played out), which is not counted.
sounding = [i for i, s in enumerate(samples[0::2]) if s != 0]
length = (sounding[-1] + 1 - sounding[0]) / 44100 if sounding else 0
print(f"{name}: captured {frames} frames ({frames / 44100:.2f} s), {length:.2f} s of it sound")
assert 4.9 <= length <= 5.2, "wrong amount of sound"
left, right = samples[0::2][sounding[0]:], samples[1::2][sounding[0]:]
middle = left[44100:44100 * 3]
peak = max(abs(s) for s in middle)
# The tone is an eighth of full scale; at volume 255 it must arrive so.
assert 3400 <= peak <= 4400, f"wrong level: peak {peak}"
crossings = [i for i in range(1, len(middle)) if middle[i - 1] < 0 <= middle[i]]
hz = (len(crossings) - 1) / ((crossings[-1] - crossings[0]) / 44100)
print(f"{name}: frequency {hz:.1f} Hz, peak {peak}")
assert abs(hz - expected) < expected * 0.01, "wrong frequency"
assert max(abs(l - r) for l, r in zip(left[44100:44100 * 3], right[44100:44100 * 3])) <= 1, "channels differ"
print(f"sound capture: the tone of {name} arrived whole")
PY
done

# With no usable device the engine plays on in silence, in real time.
python3 "$capture_config" "$home" >/dev/null
report=$(HOME=$home PULSE_SERVER=none bash "$wine_exec" "$prefix" "$dll_dir" "$player" "$fixtures/tagged.mp3")
echo "$report"
python3 - "$report" <<'PY'
import re, sys
length, heard, took = map(int, re.match(r'length (\d+) ms, heard (\d+) ms, took (\d+) ms', sys.argv[1]).groups())
assert heard == length, "the song did not play to its end"
assert took >= length - 100, "silent playback ran faster than real time"
print("silent playback: the song took its own length")
PY
