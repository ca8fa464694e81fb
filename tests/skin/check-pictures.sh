#!/usr/bin/env bash
# Draws the skin pictures and the icon again into OUTDIR and compares them
# byte for byte with the committed ones.
#   check-pictures.sh SOURCE_DIR OUTDIR
set -euo pipefail
src=$1 out=$2
rm -rf "$out"
python3 "$src/tools/make-skins.py" "$out"
status=0
for f in Skins/Skin.bmp Skins/Playlist2.bmp Skins/Settings.bmp Skins/Search.bmp Skins/Equalizer.bmp resources/icone.ico; do
    if ! cmp -s "$src/$f" "$out/$f"; then
        echo "differs from a fresh drawing: $f" >&2
        status=1
    fi
done
exit $status
