"""The settings window from outside and the start at log-on it prepares.

A copy of the program in a folder with a blank in its name is driven with
real mouse input: the settings window opened from the main face, Launch,
Minimize and Use current playlist ticked and applied; a song chosen in the
file dialog and saved with "This one !". Then the program is started the
way the log-on entry starts it (the "Run" value's command line, from
another current directory) with trayer as the tray: no main window, the
tray icon, the song heard, and the face drawn from the skins beside the
program."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "e2e"))
from kelvoria_e2e import (Build, answer_file_dialog, Player, Tray, check, delete_value, eventually, geometry, quiet_home,  # noqa: E402
                          registry_value, release_at, right_drag, set_setting, settle, visible_main_window,
                          visible_tool_windows, xdotool)

SETTINGS = r"HKCU\Software\Kelvoria\Settings"
RUN = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"

# Window coordinates of the settings window's controls: the template's
# dialog units at the prefix's dialog base units (9 x 16 pixels), past the
# one-pixel border.
LAUNCH, MINIMIZE, USE_CURRENT_PLAYLIST = (305, 161), (313, 191), (352, 223)
APPLY, THIS_ONE = (136, 201), (327, 253)
SETTINGS_AREA_ON_FACE = (570, 70)
OPEN_AREA_ON_FACE = (488, 62)
CLOSE_AREA_ON_FACE = (570, 20)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def copy_program(run_dir, folder):
    os.makedirs(os.path.join(folder, "Playlists"))
    for name in ("Kelvoria.exe", "fmod.dll"):
        shutil.copy(os.path.join(run_dir, name), folder)
    shutil.copytree(os.path.join(run_dir, "Skins"), os.path.join(folder, "Skins"))


def shown_settings_window(main):
    release_at(main, *SETTINGS_AREA_ON_FACE)
    return eventually(lambda: (visible_tool_windows() or [None])[0], "the settings window")


def click(window, place):
    release_at(window, *place)
    settle()


def split_command_line(line):
    """The program and the argument text of a command line as Windows reads
    it: a quoted program path, or the text up to the first blank."""
    if line.startswith('"'):
        end = line.index('"', 1)
        return line[1:end], line[end + 1:].lstrip(" ")
    program, _, rest = line.partition(" ")
    return program, rest


def screen_shot():
    """The whole screen as (width, rows of RGB bytes)."""
    shot = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    fields, at = [], 0
    while len(fields) < 4:      # "P6", width, height, maximum, each ended by white space
        while shot[at:at + 1].isspace():
            at += 1
        start = at
        while not shot[at:at + 1].isspace():
            at += 1
        fields.append(shot[start:at])
    return int(fields[1]), shot[at + 1:]


def face_matches_skin(main, skin_file):
    """Share of the skin's opaque pixels that the screen shows in place."""
    x, y, w, h = geometry(main)
    screen_width, screen = screen_shot()
    bmp = open(skin_file, "rb").read()
    offset, = struct.unpack("<I", bmp[10:14])
    width, height = struct.unpack("<ii", bmp[18:26])
    stride = (width * 3 + 3) & ~3
    compared = matched = 0
    for row in range(min(h, height)):
        base = offset + (height - 1 - row) * stride
        for col in range(min(w, width)):
            b, g, r = bmp[base + col * 3:base + col * 3 + 3]
            if (r, g, b) == (0, 0, 0):
                continue        # the transparent colour: cut away
            compared += 1
            at = ((y + row) * screen_width + x + col) * 3
            matched += screen[at:at + 3] == bytes((r, g, b))
    return matched / max(compared, 1)


build = Build(sys.argv)
work = tempfile.mkdtemp(prefix="kelvoria-settings-")
program_dir = os.path.join(work, "Kelvoria Copy")
copy_program(build.run_dir, program_dir)
program = os.path.join(program_dir, "Kelvoria.exe")
songs = os.path.join(work, "songs")
os.makedirs(songs)
subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=6",
                "-ac", "2", "-c:a", "pcm_s16le", os.path.join(songs, "one.wav")], check=True)

for name in ("Launch", "Minimize", "Playlist"):
    set_setting(build, name, "No")
delete_value(build, RUN, "Kelvoria")

# The settings, as a user sets them.
player = Player(build, program=program, dll_dir=program_dir, cwd=program_dir)
try:
    main = eventually(visible_main_window, "the main window")
    settings = shown_settings_window(main)
    x, y, _, _ = geometry(settings)
    # Dragged by the white panel beside Apply, so that the whole window is on the screen.
    right_drag(settings, 235, 200, 40 - x, 40 - y, steps=20)
    eventually(lambda: geometry(settings)[:2] == (40, 40), "the settings window to follow the drag")
    for box in (LAUNCH, MINIMIZE, USE_CURRENT_PLAYLIST):
        click(settings, box)
    click(settings, APPLY)
    eventually(lambda: not visible_tool_windows(), "Apply to hide the settings window")
    for name in ("Launch", "Minimize", "Playlist"):
        check(registry_value(build, SETTINGS, name) == "Yes", "Apply stored %s as Yes" % name)
    line = registry_value(build, r"HKCU\Software\Kelvoria\Shell\Startup", "programPathStartup")
    entry = registry_value(build, RUN, "Kelvoria")
    check(entry is not None and entry == line, "the log-on entry is the start-up line: %s" % entry)

    # A song loaded through the open dialog, saved as the start-up playlist.
    release_at(main, *OPEN_AREA_ON_FACE)
    answer_file_dialog("Open", windows_path(songs), "one.wav")

    settings = shown_settings_window(main)
    click(settings, THIS_ONE)
    box = eventually(lambda: xdotool("search", "--onlyvisible", "--name", "^Success !$").split(), "Success !")[0]
    xdotool("windowactivate", "--sync", box)
    xdotool("key", "Return")
    eventually(lambda: not xdotool("search", "--onlyvisible", "--name", "^Success !$").split(), "the box to close")
    saved = open(os.path.join(program_dir, "Playlists", "Startup.m3P"), "rb").read()
    expected = b"1\r\n" + windows_path(os.path.join(songs, "one.wav")).encode() + b"\r\n"
    check(saved == expected, "This one ! saved the song list beside the program: %r" % saved)
    check(visible_tool_windows() != [], "the settings window stays open after saving")

    release_at(main, *CLOSE_AREA_ON_FACE)
    check(player.exit_code() == 0, "the first run ends with 0")
finally:
    player.kill()

# The start at log-on: the entry's command line, another current directory.
logon_program, argument = split_command_line(entry)
check(argument == "/startup", "the entry's argument text is /startup")
elsewhere = tempfile.mkdtemp(prefix="kelvoria-elsewhere-")
tray = Tray()
home, raw = quiet_home()
player = Player(build, argument, home=home, program=logon_program, dll_dir=program_dir, cwd=elsewhere)
try:
    eventually(tray.icons, "the tray icon")
    check(visible_main_window() is None, "started at log-on with Minimize, the main window is not shown")
    eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) > 176400 * 2,
               "two seconds of the start-up playlist to be heard")
    print("ok: the start-up playlist is heard")

    tray.click_icon(1)
    main = eventually(visible_main_window, "the main window after a click on the icon")
    settle()
    skin = os.path.join(program_dir, "Skins", "Skin.bmp")

    def drawn_from_skin():
        share = face_matches_skin(main, skin)
        return share if share > 0.8 else None

    share = eventually(drawn_from_skin, "the face drawn from the skin beside the program")
    print("ok: from another current directory the face shows the skin beside the program (%.0f%% of its "
          "pixels in place)" % (share * 100))

    release_at(main, *CLOSE_AREA_ON_FACE)
    check(player.exit_code() == 0, "the start at log-on ends with 0")
finally:
    player.kill()
    tray.stop()
    for name in ("Launch", "Minimize", "Playlist"):
        set_setting(build, name, "No")
    delete_value(build, RUN, "Kelvoria")
    shutil.rmtree(work, ignore_errors=True)
    shutil.rmtree(elsewhere, ignore_errors=True)
    shutil.rmtree(home, ignore_errors=True)
