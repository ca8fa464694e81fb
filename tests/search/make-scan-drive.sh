#!/usr/bin/env bash
# Prepares the drive the disk scan tests walk: an empty folder of the build,
# mapped as drive K: in the test prefix, plus two small music files (one
# tagged) that the tests copy into their trees, and the read-only folders
# that Wine can only show from the folder's mode bits (it ignores
# FILE_ATTRIBUTE_READONLY set on a folder).
#   make-scan-drive.sh PREFIX DRIVE_DIR MUSIC_DIR WINE_EXEC RUN_DIR
set -euo pipefail
prefix=$1 drive=$2 music=$3 wine_exec=$4 run_dir=$5

# The prefix must exist before a drive can be mapped in it.
if [ ! -f "$prefix/.kelvoria-ready" ]; then
    bash "$wine_exec" "$prefix" "$run_dir" cmd /c exit >/dev/null 2>&1 || true
fi
[ -d "$prefix/dosdevices" ] || { echo "make-scan-drive: no prefix at $prefix" >&2; exit 1; }

if [ -d "$drive" ]; then
    chmod -R u+w "$drive"
    rm -rf "$drive"
fi
mkdir -p "$drive"
# Wine's mount manager learns the drive letters when it starts: after a new
# mapping, wait for the prefix's server to end, so that the tests start a
# fresh one that lists K:.
if [ "$(readlink "$prefix/dosdevices/k:" || true)" != "$drive" ]; then
    ln -sfn "$drive" "$prefix/dosdevices/k:"
    bash "$wine_exec" "$prefix" "$run_dir" --server -w
fi

mkdir -p "$drive/readonly/Locked" "$drive/readonly/locked.ogg"
: > "$drive/readonly/Locked/inside.mp3"
: > "$drive/readonly/locked.ogg/inside.mp3"
chmod a-w "$drive/readonly/Locked" "$drive/readonly/locked.ogg"

stamp=$music/.complete-v1
[ -f "$stamp" ] && exit 0
rm -rf "$music"
mkdir -p "$music"
# shellcheck source=../../tools/media.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/media.sh"
make_music "$music/tagged.mp3" "$(tone 440 1)" -metadata title="Scan Title" -metadata artist="Scan Artist"
make_music "$music/plain.ogg" "$(tone 660 1)" -map_metadata -1
touch "$stamp"
