#!/usr/bin/env bash
# Shows the four skinned windows with the preview program (built with the
# tests) on a virtual display and saves a screenshot of each under docs/.
#   screenshot-skins.sh [BUILD]     (default: $KELVORIA_BUILD_DIR or build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${KELVORIA_BUILD_DIR:-$root/build}}
export root build
bash "$root/scripts/with-display.sh" bash -c '
    set -euo pipefail
    bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" "$build/tests/skin_preview.exe" 20 &
    preview=$!
    sleep 8                      # a screenshot tool, not a test: let it draw
    import -window root "$build/skin-screen.png"
    kill $preview 2>/dev/null || true
    wait $preview 2>/dev/null || true
'
mkdir -p "$root/docs"
shot=$build/skin-screen.png
# Window places of the preview program, with a margin of backdrop.
convert "$shot" -crop 620x139+10+10 +repage "$root/docs/skin-main.png"
convert "$shot" -crop 373x315+10+160 +repage "$root/docs/skin-playlist.png"
convert "$shot" -crop 560x315+390+140 +repage "$root/docs/skin-settings.png"
convert "$shot" -crop 370x275+10+480 +repage "$root/docs/skin-search.png"
echo "screenshots in $root/docs"
