#!/usr/bin/env bash
# Prepares the drives the search window's tests list and scan: folders of
# the build, mapped in the test prefix.
#   L:  a CD-ROM drive by Wine's drive table: listed by the system, never a box
#   M:  2,000 music files in 20 folders, more than the song list holds
#   R:  no music
#   S:  two music files, the second in a folder
#   T:  one music file
#   U:  no music
#   D:  empty; the end-to-end test puts its own tree there
#   E:  two music files whose names have 254 and 255 characters, and one
#       below a folder too deep for the ANSI calls to reach
# Wine's mount manager learns the drive letters and kinds when it starts, so
# after a change this waits for the prefix's server to end: the next program
# starts a fresh one that lists the drives as they now are.
#   make-search-drives.sh PREFIX DRIVES_DIR WINE_EXEC RUN_DIR
set -euo pipefail
prefix=$1 drives=$2 wine_exec=$3 run_dir=$4

if [ ! -f "$prefix/.kelvoria-ready" ]; then
    bash "$wine_exec" "$prefix" "$run_dir" cmd /c exit >/dev/null 2>&1 || true
fi
[ -d "$prefix/dosdevices" ] || { echo "make-search-drives: no prefix at $prefix" >&2; exit 1; }

changed=no
map() {     # map LETTER: a fresh empty folder
    local letter=$1 folder=$drives/$1
    rm -rf "$folder"
    mkdir -p "$folder"
    if [ "$(readlink "$prefix/dosdevices/$letter:" || true)" != "$folder" ]; then
        ln -sfn "$folder" "$prefix/dosdevices/$letter:"
        changed=yes
    fi
}
for letter in d e l m r s t u; do map $letter; done

if ! grep -q '^"l:"="cdrom"' "$prefix/system.reg" 2>/dev/null; then
    bash "$wine_exec" "$prefix" "$run_dir" reg add 'HKLM\Software\Wine\Drives' /v l: /d cdrom /f >/dev/null 2>&1
    changed=yes
fi

for album in $(seq -w 0 19); do
    mkdir -p "$drives/m/album$album"
    for track in $(seq -w 0 99); do : > "$drives/m/album$album/track$track.mp3"; done
done
: > "$drives/r/readme.txt"
mkdir -p "$drives/s/live"
: > "$drives/s/first.mp3"
: > "$drives/s/live/second.ogg"
: > "$drives/s/notes.txt"
: > "$drives/t/third.wav"
: > "$drives/u/cover.jpg"
: > "$drives/e/$(printf 'e%.0s' $(seq 250)).mp3"
: > "$drives/e/$(printf 'f%.0s' $(seq 251)).mp3"
deep=$drives/e/deep/$(printf 'd%.0s' $(seq 250))
mkdir -p "$deep"
: > "$deep/inside.mp3"

if [ "$changed" = yes ]; then
    bash "$wine_exec" "$prefix" "$run_dir" --server -w
fi
