#!/usr/bin/env bash
# Starts the built Kelvoria.exe "/startup" from BUILD/run, with the settings
# that make the start-up mode load and play Playlists/Startup.m3P, and waits
# for it to end (Ctrl-C ends it too). Without a display it runs on a virtual
# one and saves a screenshot of the player at work.
#   run-player.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    # Everything Wine starts from here on must see the same display.
    KELVORIA_VIRTUAL_DISPLAY=1 exec bash "$root/scripts/with-display.sh" bash "$0" "$@"
fi

prefix=$build/wineprefix
run=$build/run
wine_exec() { bash "$build/wine-exec.sh" "$prefix" "$run" "$@"; }

# The start-up mode loads the start-up playlist and shows the player.
wine_exec reg add 'HKCU\Software\Kelvoria\Settings' /v Playlist /t REG_SZ /d Yes /f >/dev/null 2>&1
wine_exec reg add 'HKCU\Software\Kelvoria\Settings' /v Minimize /t REG_SZ /d No /f >/dev/null 2>&1

cd "$run"   # the skins are found relative to the current directory
WINEDEBUG=-all wine_exec Kelvoria.exe /startup 2> >(grep -v '^ALSA lib' >&2) &
player=$!
trap 'kill $player 2>/dev/null || true; bash "$build/wine-exec.sh" "$prefix" "$run" --server -k 2>/dev/null || true; exit 130' INT TERM

if [ -n "${KELVORIA_VIRTUAL_DISPLAY:-}" ]; then
    echo "run: there is no display; Kelvoria runs on the virtual display $DISPLAY"
    for _ in $(seq 120); do
        xdotool search --name '^Kelvoria_v1.0$' >/dev/null 2>&1 && break
        sleep 0.5
    done
    sleep 4     # a few seconds of the first song
    shot=$build/kelvoria-screen.png
    import -window root "$shot" && echo "run: screenshot of the player at work saved in $shot"
    echo "run: Kelvoria keeps playing until it ends; press Ctrl-C to end it now"
else
    echo "run: Kelvoria started on $DISPLAY"
fi
wait $player || true
