#!/usr/bin/env bash
# Plays a tone of each kind of file through the real wave output under Wine,
# with ALSA's file plugin as the default device, and checks what reached the
# "speaker": the right amount of sound, at the tone's frequency and level,
# in both channels.
#   sound_capture.sh WINE_EXEC PREFIX DLL_DIR PLAY_FILE_EXE FIXTURE_DIR
set -euo pipefail
wine_exec=$1 prefix=$2 dll_dir=$3 player=$4 fixtures=$5

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
raw=$home/out.raw
# ALSA reads this file alone, not the system's configuration: that one may
# hook a plugin of a sound server that the 32-bit library lacks, and then
# it reads no configuration at all and records nothing.
export ALSA_CONFIG_PATH=$home/alsa.conf
cat > "$ALSA_CONFIG_PATH" <<ASOUND
pcm.null { type null }
ctl.null { type hw; card 0 }
pcm.!default {
    type file
    slave.pcm "null"
    file "$raw"
    format "raw"
}
ASOUND

# A sound server of the user's would take the sound instead of ALSA.
for tone in tagged.mp3:440 tagged.flac:770 tagged.m4a:1000 tagged.opus:1200 id3v2.aac:1300; do
    file=${tone%:*} hz=${tone#*:}
    rm -f "$raw"
    HOME=$home PULSE_SERVER=none bash "$wine_exec" "$prefix" "$dll_dir" "$player" "$fixtures/$file"
    python3 - "$raw" "$file" "$hz" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
name, expected = sys.argv[2], float(sys.argv[3])
frames = len(data) // 4
print(f"{name}: captured {frames} frames ({frames / 44100:.2f} s)")
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
print(f"{name}: frequency {hz:.1f} Hz, peak {peak}")
assert abs(hz - expected) < expected * 0.01, "wrong frequency"
assert max(abs(l - r) for l, r in zip(left[44100:44100 * 3], right[44100:44100 * 3])) <= 1, "channels differ"
print(f"sound capture: the tone of {name} arrived whole")
PY
done

# With no usable device the engine plays on in silence, in real time.
cat > "$ALSA_CONFIG_PATH" <<ASOUND
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
