"""Damaged skins never take the player down: for each kind of damage, a
copy of the program whose four skin pictures are all damaged that way (so
that neither the current directory nor the program's folder offers a good
one) starts, shows its main window, opens the playlist, search and settings
windows from their areas and ends with 0 through its close area. The
outline may be a plain rectangle."""
import os
import shutil
import struct
import sys
import tempfile

from kelvoria_e2e import (Build, Player, check, click_until, eventually, release_at, set_setting,
                          visible_main_window, visible_tool_windows)

build = Build(sys.argv)
SKINS = ("Skin.bmp", "Playlist2.bmp", "Settings.bmp", "Search.bmp", "Equalizer.bmp")
# Areas in window coordinates.
SEARCH_AREA = (60, 267)     # on the playlist window, opens the search window
PLAYLIST_CLOSE = (334, 12)
SEARCH_CLOSE = (220, 47)
SETTINGS_CLOSE = (330, 76)


def bitmap(width, height, bits, pixels, palette=b"", claimed=None):
    """A bottom-up BMP file; `claimed` = (width, height) written into the
    header instead of the true size."""
    header_width, header_height = claimed or (width, height)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, header_width, header_height, 1, bits, 0, len(pixels), 2835, 2835,
                       len(palette) // 4, 0)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + palette + pixels


def pixels_of(shipped):
    """(width, height, rows of (b, g, r) tuples, bottom row first) of a shipped 24-bit skin."""
    width, height = struct.unpack_from("<ii", shipped, 18)
    offset = struct.unpack_from("<I", shipped, 10)[0]
    stride = (width * 3 + 3) & ~3
    rows = [[tuple(shipped[offset + y * stride + 3 * x:offset + y * stride + 3 * x + 3]) for x in range(width)]
            for y in range(height)]
    return width, height, rows


def eight_bit(shipped):
    """The skin with a 3-3-2 palette of 256 colours."""
    width, height, rows = pixels_of(shipped)
    palette = b"".join(struct.pack("BBBB", (i & 3) * 85, ((i >> 2) & 7) * 36, (i >> 5) * 36, 0) for i in range(256))
    stride = (width + 3) & ~3
    data = b"".join(bytes((r >> 5) << 5 | (g >> 5) << 2 | b >> 6 for b, g, r in row).ljust(stride, b"\0")
                    for row in rows)
    return bitmap(width, height, 8, data, palette)


def one_by_one(shipped):
    return bitmap(1, 1, 24, b"\x10\x20\x30\0")


def claims_more_rows(shipped):
    width, height = struct.unpack_from("<ii", shipped, 18)
    return shipped[:18] + struct.pack("<ii", width, height * 10) + shipped[26:]


def claims_huge_size(shipped):
    return shipped[:18] + struct.pack("<ii", 60000, 60000) + shipped[26:]


def claims_wrong_offset(shipped):
    return shipped[:10] + struct.pack("<I", len(shipped) + 1000) + shipped[14:]


DAMAGES = {
    "missing": None,
    "truncated to half": lambda shipped: shipped[:len(shipped) // 2],
    "truncated inside the header": lambda shipped: shipped[:30],
    "not a picture": lambda shipped: bytes((i * 37 + 11) % 256 for i in range(len(shipped))),
    "a 1 x 1 picture": one_by_one,
    "an 8-bit palette picture": eight_bit,
    "a header claiming ten times the rows": claims_more_rows,
    "a header claiming 60000 x 60000 pixels": claims_huge_size,
    "pixels said to start past the end": claims_wrong_offset,
}

set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
shipped = {name: open(os.path.join(build.run_dir, "Skins", name), "rb").read() for name in SKINS}
for damage, make in DAMAGES.items():
    folder = tempfile.mkdtemp(prefix="kelvoria-skins-")
    for program_file in ("Kelvoria.exe", "fmod.dll"):
        shutil.copy(os.path.join(build.run_dir, program_file), folder)
    if make:
        os.mkdir(os.path.join(folder, "Skins"))
        for name in SKINS:
            with open(os.path.join(folder, "Skins", name), "wb") as f:
                f.write(make(shipped[name]))
    copy = Build([None, build.wine_exec, build.prefix, folder])
    player = Player(copy)
    try:
        main = eventually(visible_main_window, "the main window with skins " + damage)
        # Unshaped, a tool window may cover the main window's areas: each is
        # closed through its own close area before the next one opens.
        settings = click_until(main, 570, 70, lambda: (visible_tool_windows() or [None])[0],
                               "the settings window with skins " + damage)
        release_at(settings, *SETTINGS_CLOSE)
        eventually(lambda: not visible_tool_windows(), "the settings window to close with skins " + damage)
        playlist = click_until(main, 570, 40, lambda: (visible_tool_windows() or [None])[0],
                               "the playlist window with skins " + damage)
        release_at(playlist, *SEARCH_AREA)
        search = eventually(lambda: ([w for w in visible_tool_windows() if w != playlist] or [None])[0],
                            "the search window with skins " + damage)
        release_at(search, *SEARCH_CLOSE)
        eventually(lambda: visible_tool_windows() == [playlist], "the search window to close with skins " + damage)
        release_at(playlist, *PLAYLIST_CLOSE)
        eventually(lambda: not visible_tool_windows(), "the playlist window to close with skins " + damage)
        click_until(main, 570, 20, lambda: not player.running(), "the player to end with skins " + damage)
        check(player.exit_code() == 0, "skins %s: every window opens and the player ends with 0" % damage)
    finally:
        player.kill()
    shutil.rmtree(folder, ignore_errors=True)
