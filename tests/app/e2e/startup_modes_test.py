"""The "/startup" modes from outside, with trayer as the notification area:
hidden in the tray with the start-up playlist loaded, a left click on the
icon restores, minimise and the tray menu's Restore, the menu's Quit removes
the icon and ends with 0; near misses of the argument start normally."""
import os
import sys

from kelvoria_e2e import (Build, Player, Tray, check, eventually, menu_open, quiet_home, release_at, set_setting,
                          visible_main_window, xdotool, settle)

build = Build(sys.argv)
tray = Tray()
try:
    # Not the start-up mode: shown at once although Minimize is chosen.
    set_setting(build, "Minimize", "Yes")
    set_setting(build, "Playlist", "No")
    for near_miss in ("/STARTUP", "/startup x"):
        player = Player(build, near_miss)
        try:
            main = eventually(visible_main_window, "the main window for %r" % near_miss)
            check(tray.icons() == [], "%r shows the window and puts no icon in the tray" % near_miss)
            release_at(main, 570, 20)
            check(player.exit_code() == 0, "%r run ends with 0" % near_miss)
        finally:
            player.kill()

    # The start-up mode with both settings: in the tray from the start.
    set_setting(build, "Playlist", "Yes")
    home, raw = quiet_home()
    player = Player(build, "/startup", home=home)
    try:
        eventually(tray.icons, "the tray icon")
        check(visible_main_window() is None, "under /startup with Minimize the main window is not shown")
        eventually(lambda: os.path.exists(raw) and os.path.getsize(raw) > 176400,
                   "a second of the start-up playlist to be heard")
        check(visible_main_window() is None, "the start-up playlist plays while the player stays in the tray")

        tray.click_icon(1)
        main = eventually(visible_main_window, "the main window after a left click on the icon")
        eventually(lambda: tray.icons() == [], "the icon to go at the restore")
        print("ok: a left click on the icon restores the window and removes the icon")

        release_at(main, 570, 100)      # the minimise area
        eventually(tray.icons, "the icon after minimising")
        eventually(lambda: visible_main_window() is None, "the main window to hide")
        print("ok: the minimise area hides the window in the tray")

        tray.click_icon(3)
        eventually(menu_open, "the tray menu")
        xdotool("key", "Up")            # from the top, Up wraps to the last item: Quit
        settle()
        xdotool("key", "Up")            # over the separator to Restore
        settle()
        xdotool("key", "Return")
        eventually(visible_main_window, "the main window after the menu's Restore")
        eventually(lambda: tray.icons() == [], "the icon to go at the menu's Restore")
        print("ok: the menu's Restore shows the window again")

        release_at(visible_main_window(), 570, 100)
        eventually(tray.icons, "the icon after minimising again")
        tray.click_icon(3)
        eventually(menu_open, "the tray menu again")
        xdotool("key", "Up")
        settle()
        xdotool("key", "Return")
        check(player.exit_code() == 0, "the menu's Quit ends the player with exit code 0")
        check(tray.icons() == [], "no icon is left behind in the tray")
    finally:
        player.kill()
finally:
    tray.stop()
