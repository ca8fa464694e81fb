#!/usr/bin/env bash
# Writes 1,999 music files for the tag reading benchmark: three-minute tones
# of the four kinds, tagged and untagged, each linked under many names
# (hard links: distinct paths, one copy on disk).
#   make-bench-files.sh OUTDIR
set -euo pipefail
media=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)/media.sh
out=$1
stamp=$out/.complete-v1
[ -f "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out/source"
cd "$out/source"

# shellcheck source=../../tools/media.sh
source "$media"
tone="sine=frequency=440:sample_rate=44100:duration=180"
tags=(-metadata title="Bench Title" -metadata artist="Bench Artist" -metadata album="Bench Album")

ff -f lavfi -i "$tone" -c:a libmp3lame -b:a 128k "${tags[@]}" tagged.mp3
ff -f lavfi -i "$tone" -c:a libmp3lame -b:a 128k -map_metadata -1 plain.mp3
ff -f lavfi -i "$tone" -c:a libvorbis -q:a 3 "${tags[@]}" tagged.ogg
ff -f lavfi -i "$tone" -c:a libvorbis -q:a 3 -map_metadata -1 plain.ogg
ff -f lavfi -i "$tone" -c:a wmav2 -b:a 128k "${tags[@]}" tagged.wma
ff -f lavfi -i "$tone" -c:a wmav2 -b:a 128k -map_metadata -1 plain.wma
ff -f lavfi -i "$tone" -c:a pcm_s16le "${tags[@]}" tagged.wav
ff -f lavfi -i "$tone" -c:a pcm_s16le -map_metadata -1 plain.wav

# Song n is of kind n % 4, tagged unless n % 8 >= 6.
kinds=(mp3 ogg wma wav)
cd "$out"
for n in $(seq 1 1999); do
    kind=${kinds[$((n % 4))]}
    variant=tagged
    [ $((n % 8)) -ge 6 ] && variant=plain
    ln "source/$variant.$kind" "song$n.$kind"
done
touch "$stamp"
