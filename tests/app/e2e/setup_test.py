"""The 64-bit setup program in a fresh prefix of the test's own: a silent
install (files, shortcut, uninstall entry, Open with); the program started
from the shortcut's target plays a song; a second install updates in place;
the silent uninstall leaves the user's saved playlists alone, and a log-on
value only when it starts another copy.
    setup_test.py WINE_EXEC_X86_64 SETUP_PROGRAM STAGE WORK_DIR VERSION"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

from kelvoria_e2e import (DEADLINE, Build, Player, capture_env, check, eventually, fail, first_tone, quiet_home,
                          release_at, set_setting, visible_main_window, wine)
from alsa_capture import CONFIG_NAME as CAPTURE_CONFIG  # found through kelvoria_e2e's path

KINDS = [".mp3", ".wav", ".wma", ".ogg", ".flac", ".m4a", ".opus", ".aac", ".wv", ".ape", ".m3P", ".m3u", ".m3u8", ".pls", ".cue"]
UNINSTALL = r"software\microsoft\windows\currentversion\uninstall\kelvoria"
APPLICATION = r"software\classes\applications\kelvoria.exe"
RUN = r"Software\Microsoft\Windows\CurrentVersion\Run"
OTHER_OGG = "OtherPlayer.ogg"       # another program's default for .ogg: it stays

wine_exec, setup_program, stage, work, version = sys.argv[1:6]
if not os.access("/usr/lib/wine/wine64", os.X_OK):
    print("SKIP: no Wine 64-bit loader (/usr/lib/wine/wine64) here to run the 64-bit setup program")
    sys.exit(77)
prefix = os.path.join(work, "wineprefix")
subprocess.run(["bash", wine_exec, prefix, work, "--server", "-k"], capture_output=True)
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
home, raw = quiet_home()
# No menu entries from the shortcut (winemenubuilder), and no HOME of the user's.
os.environ.update(capture_env(home), WINEDLLOVERRIDES="winemenubuilder.exe=d")
build = Build([None, wine_exec, prefix, work])


def registry():
    """The current user's keys, {key in lower case: {value name ('' for the
    default): text or number}}, from user.reg once every process has ended."""
    try:
        subprocess.run(["bash", wine_exec, prefix, work, "--server", "-w"], timeout=DEADLINE * 2)
    except subprocess.TimeoutExpired:
        fail("the prefix's processes did not end")
    keys, key = {}, {}
    for line in open(os.path.join(prefix, "user.reg"), encoding="utf-8").read().replace("\\\n", "").splitlines():
        if line.startswith("["):
            key = keys.setdefault(line[1:line.rindex("]")].replace("\\\\", "\\").lower(), {})
        m = re.match(r'^(?:@|"((?:[^"\\]|\\.)*)")=(?:"(.*)"|dword:(\w+))?', line)
        if m:
            key[re.sub(r"\\(.)", r"\1", m.group(1) or "")] = \
                int(m.group(3), 16) if m.group(3) else re.sub(r"\\(.)", r"\1", m.group(2) or "")
    return keys


def shell_text(variable):
    return wine(build, "cmd", "/c", "echo", "%" + variable + "%", capture=True).stdout.strip()


def linux_path(windows):
    return os.path.join(prefix, "drive_c", *windows[3:].split("\\"))    # from C:\...


def shortcut_target(path):
    """The local path a shell link's LinkInfo names."""
    data = open(path, "rb").read()
    flags, = struct.unpack_from("<I", data, 20)
    check(data[:4] == b"L\0\0\0" and flags & 0x02, "the shortcut is a shell link with its target's path")
    at = 0x4C + (2 + struct.unpack_from("<H", data, 0x4C)[0] if flags & 0x01 else 0)
    base, _, suffix = struct.unpack_from("<3I", data, at + 16)
    return "".join(data[at + o:data.index(b"\0", at + o)].decode("cp1252") for o in (base, suffix))


def files_under(folder):
    return {os.path.relpath(os.path.join(parent, n), folder) for parent, _, names in os.walk(folder) for n in names}


def entries(keys):
    """The setup program's keys, but the folder's estimated size."""
    return {k: {n: v for n, v in values.items() if n != "EstimatedSize"} for k, values in keys.items()
            if k.startswith((UNINSTALL, APPLICATION)) or k.endswith(r"\openwithlist\kelvoria.exe")}


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def links():
    return [n for n in os.listdir(start_menu) if "kelvoria" in n.lower()]


def install(what):
    check(wine(build, setup_program, "/S", capture=True).returncode == 0, "%s: the setup program ends with 0" % what)
    return registry()


def uninstall(keys):
    """Runs the registered quiet uninstall command, and waits for the copy of
    itself the uninstaller runs on from."""
    m = re.match(r'^"([^"]+)" (/S)$', keys.get(UNINSTALL, {}).get("QuietUninstallString", ""))
    check(m and wine(build, m.group(1), m.group(2), capture=True).returncode == 0, "the quiet uninstall ends with 0")
    return registry()


def mentions_kelvoria(keys):
    return sorted(k for k in keys if "kelvoria" in k) + sorted(
        "%s %s=%s" % (k, n, v) for k, values in keys.items() if "kelvoria" not in k
        for n, v in values.items() if "kelvoria" in (n + str(v)).lower())


if wine(build, "cmd", "/c", "exit", "0", capture=True).returncode != 0:
    print("SKIP: Wine's 64-bit loader runs no program in a fresh prefix here")
    sys.exit(77)
wine(build, "reg", "add", r"HKCU\Software\Classes\.ogg", "/ve", "/d", OTHER_OGG, "/f", capture=True)
start_menu = linux_path(shell_text("APPDATA") + r"\Microsoft\Windows\Start Menu\Programs")
windows_dir = shell_text("LOCALAPPDATA") + r"\Programs\Kelvoria"
folder = linux_path(windows_dir)

keys = install("first install")
exe = windows_dir + r"\Kelvoria.exe"
shipped = files_under(stage) | {"Uninstall.exe"}
check(files_under(folder) == shipped and os.path.isdir(os.path.join(folder, "Playlists"))
      and open(os.path.join(folder, "Kelvoria.exe"), "rb").read() == open(os.path.join(stage, "Kelvoria.exe"), "rb").read(),
      "it installs the zip's tree, Playlists too, and Uninstall.exe into %LOCALAPPDATA%\\Programs\\Kelvoria")
expected = {"DisplayName": "Kelvoria", "DisplayVersion": version, "Publisher": "Kelvoria", "DisplayIcon": exe + ",0",
            "InstallLocation": windows_dir, "UninstallString": '"%s\\Uninstall.exe"' % windows_dir,
            "QuietUninstallString": '"%s\\Uninstall.exe" /S' % windows_dir, "NoModify": 1, "NoRepair": 1}
entry = keys.get(UNINSTALL, {})
check({n: entry.get(n) for n in expected} == expected, "the uninstall entry says %s" % expected)
size_kb = sum(os.path.getsize(os.path.join(folder, f)) for f in shipped) // 1024
check(abs(entry.get("EstimatedSize", 0) - size_kb) <= 16, "its estimated size is the folder's %d KB" % size_kb)
check(keys.get(APPLICATION, {}).get("FriendlyAppName") == "Kelvoria"
      and keys.get(APPLICATION + r"\shell\open\command") == {"": '"%s" "%%1"' % exe}
      and keys.get(APPLICATION + r"\shell\open") == {"MultiSelectModel": "Player"}
      and keys.get(APPLICATION + r"\defaulticon") == {"": exe + ",0"}
      and sorted(keys.get(APPLICATION + r"\supportedtypes", {})) == sorted(KINDS),
      "Applications\\Kelvoria.exe opens \"%1\" with the installed program, a whole selection at once, for "
      + " ".join(KINDS))
check(all(r"software\classes\%s\openwithlist\kelvoria.exe" % kind.lower() in keys for kind in KINDS)
      and [k for k in KINDS if "" in keys.get(r"software\classes\%s" % k.lower(), {})] == [".ogg"]
      and keys[r"software\classes\.ogg"][""] == OTHER_OGG,
      "each kind lists Kelvoria under Open with; no kind's default program is written, .ogg keeps another's")
check(links() == ["Kelvoria.lnk"] and shortcut_target(os.path.join(start_menu, "Kelvoria.lnk")) == exe,
      "the Start menu's shortcut starts %s" % exe)

# The program started from the shortcut's target plays a song of 440 Hz.
song_dir = tempfile.mkdtemp(prefix="kelvoria-setup-song-")
song = os.path.join(song_dir, "tone.wav")
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=4",
                "-ac", "2", "-c:a", "pcm_s16le", song], check=True)
playlist = b"1\r\nZ:" + song.replace("/", "\\").encode() + b"\r\n"
run = Build([None, wine_exec, prefix, folder])
set_setting(run, "Minimize", "No")
saved = {os.path.join("Playlists", "Saved.m3P")}
argument = "Z:" + song.replace("/", "\\")
player = Player(run, argument, home=home, program=shortcut_target(os.path.join(start_menu, "Kelvoria.lnk")),
                dll_dir=folder, cwd=folder)
try:
    main = eventually(visible_main_window, "the main window of the installed program")
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) >= 176400 * 2, "two seconds of the song")
    release_at(main, 570, 20)       # the close area
    code = player.exit_code()
    check(code == 0, "the installed program ends when closed (exit code %d)" % code)
finally:
    player.kill()
hz = first_tone(raw)
check(hz is not None, "the installed program was heard")
check(abs(hz - 440) < 5, "the song is heard at %.1f Hz" % hz)

# A playlist the user saved; a second install over the first.
write(os.path.join(folder, "Playlists", "Saved.m3P"), playlist)
again = install("second install")
check(files_under(folder) == shipped | saved and entries(again) == entries(keys),
      "the second install rewrites the same folder and entries, and keeps the saved playlists")
check(links() == ["Kelvoria.lnk"] and [k for k in again if re.search(r"\\uninstall\\.*kelvoria", k)] == [UNINSTALL],
      "one shortcut and one uninstall entry, no duplicate")

# Started at log-on, as the settings window makes it; then the uninstaller.
wine(build, "reg", "add", "HKCU\\" + RUN, "/v", "Kelvoria", "/d", '"%s" /startup' % exe, "/f", capture=True)
gone = uninstall(again)
check(files_under(folder) == saved and os.listdir(folder) == ["Playlists"] and not links(),
      "the uninstaller removes the files and the shortcut, and leaves the saved playlists %s" % sorted(saved))
check(not mentions_kelvoria(gone), "no key or value names Kelvoria any more %s" % mentions_kelvoria(gone))
check(gone[r"software\classes\.ogg"] == {"": OTHER_OGG}
      and not [k for k in KINDS if k != ".ogg" and r"software\classes\%s" % k.lower() in gone],
      "the kinds' keys it made are gone, and .ogg keeps the other program's default")

# A log-on value that starts another copy of Kelvoria belongs to that copy.
elsewhere = r'"C:\Tools\Kelvoria\Kelvoria.exe" /startup'
install("install after the uninstall")
wine(build, "reg", "add", "HKCU\\" + RUN, "/v", "Kelvoria", "/d", elsewhere, "/f", capture=True)
gone = uninstall(registry())
check(mentions_kelvoria(gone) == ["%s Kelvoria=%s" % (RUN.lower(), elsewhere)] and files_under(folder) == saved,
      "the uninstaller leaves a log-on value that starts another copy, and nothing else of Kelvoria's")
check(sorted(os.listdir(home)) == [CAPTURE_CONFIG, "out.raw"], "Wine wrote nothing into the test's HOME (no menu entries)")
shutil.rmtree(home)
shutil.rmtree(song_dir)
