"""The ALSA configuration under which a program's sound lands in a file.

The file is a whole configuration, read through ALSA_CONFIG_PATH instead of
the system's alsa.conf: that one runs hooks (PulseAudio's, for one) whose
plugins may be installed for one architecture only, and a client of the
other (the 32-bit Wine beside 64-bit plugins) then reads no configuration at
all and has no default device. Ours names nothing outside libasound itself,
so both architectures read it alike.

    alsa_capture.py FOLDER [RAW]

writes FOLDER/alsa-capture.conf and prints its path; without RAW the default
device is a sound card that does not exist (for the silent output's case).
"""
import os
import sys

CONFIG_NAME = "alsa-capture.conf"

NULL_DEVICES = 'pcm.null { type null }\nctl.null { type hw card 0 }\n'
CAPTURE_DEVICE = 'pcm.!default {\n type file\n slave.pcm "null"\n file "%s"\n format "raw"\n}\n'
MISSING_DEVICE = 'pcm.!default { type hw card 57 }\nctl.!default { type hw card 57 }\n'


def config_path(folder):
    return os.path.join(folder, CONFIG_NAME)


def write_config(folder, raw=None):
    """Writes the configuration into `folder`: the default device records
    into `raw` (raw 16-bit PCM, as the program hands it), or, when raw is
    None, is a card that is not there. Returns the file's path."""
    if raw is not None and ('"' in raw or "\\" in raw or "\n" in raw):
        raise ValueError("a capture file name ALSA cannot quote: %r" % raw)
    text = NULL_DEVICES + (CAPTURE_DEVICE % raw if raw is not None else MISSING_DEVICE)
    path = config_path(folder)
    with open(path, "w") as f:
        f.write(text)
    return path


def environment(home):
    """What a Wine process's environment needs to play into the capture
    written in `home`, and to find no sound server of the user's."""
    return {"HOME": home, "ALSA_CONFIG_PATH": config_path(home), "PULSE_SERVER": "none"}


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: alsa_capture.py FOLDER [RAW]")
    print(write_config(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else None))
