"""The main window from outside: where it appears, the registry after a
start, the tool windows shown by their areas, the right-button drag, the
left button that never drags, and the close area ending the run with 0."""
import sys

from kelvoria_e2e import (Build, Player, check, eventually, geometry, registry_value, release_at, right_drag,
                          set_setting, visible_main_window, visible_tool_windows, xdotool)

build = Build(sys.argv)
set_setting(build, "Minimize", "No")
set_setting(build, "Playlist", "No")
player = Player(build)
try:
    main = eventually(visible_main_window, "the main window")
    check(geometry(main) == (404, 618, 600, 119), "the main window is at (404, 618), 600 x 119")

    program = registry_value(build, r"HKCU\Software\Kelvoria\Shell", "programPath")
    check(program is not None and program.lower().endswith("\\kelvoria.exe"),
          "programPath names the program file: %s" % program)
    line = registry_value(build, r"HKCU\Software\Kelvoria\Shell\Startup", "programPathStartup")
    check(line is not None and line.endswith(" /startup") and program in line,
          "programPathStartup is the program's path and /startup: %s" % line)

    right_drag(main, 200, 60, 80, -50)
    eventually(lambda: geometry(main)[:2] == (484, 568), "the window to follow the right-button drag")
    print("ok: the right-button drag moved the window by (80, -50)")

    x, y, _, _ = geometry(main)
    xdotool("mousemove", x + 200, y + 60)
    xdotool("mousedown", 1)
    xdotool("mousemove", x + 260, y + 20)
    xdotool("mouseup", 1)
    check(geometry(main)[:2] == (x, y), "the left button never drags")

    # The tool windows open over the main window's left part; the drag is done first.
    check(visible_tool_windows() == [], "the tool windows start hidden")
    # A click straight after the cursor jumped counts where it was released,
    # before any tick of the window has seen the cursor there.
    x, y, _, _ = geometry(main)
    xdotool("mousemove", x + 570, y + 40, "click", 1)
    eventually(lambda: len(visible_tool_windows()) == 1, "the playlist window")
    release_at(main, 570, 70)
    eventually(lambda: len(visible_tool_windows()) == 2, "the settings window")
    print("ok: the playlist and settings areas show their windows")

    # A release in a gap does nothing.
    release_at(main, 590, 95)
    check(visible_main_window() and len(visible_tool_windows()) == 2, "a release between areas does nothing")

    release_at(main, 570, 20)
    check(player.exit_code() == 0, "the close area ends the player with exit code 0")
finally:
    player.kill()
