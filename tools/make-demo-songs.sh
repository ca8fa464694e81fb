#!/usr/bin/env bash
# The demo that the run command starts on: eight short synthesised tunes, one
# in each of the player's kinds of music file, tagged with title and artist, in
# RUN_DIR/Music, and RUN_DIR/Playlists/Startup.m3P listing them by their
# Windows paths (Wine's Z: drive is the Linux root).
#   make-demo-songs.sh RUN_DIR
set -euo pipefail
run=$(cd "$1" && pwd)
music=$run/Music
stamp=$music/.demo-v3
playlist=$run/Playlists/Startup.m3P
mkdir -p "$music" "$run/Playlists"

# shellcheck source=media.sh
source "$(dirname "${BASH_SOURCE[0]}")/media.sh"

# A tune: notes (Hz, 0 for a rest) of 0.3 s each, played twice, plucked (each note fades
# as it sounds) with a fifth above it, quietly.
tune() {
    local out=$1 title=$2 artist=$3 codec
    shift 3
    mapfile -t codec < <(codec_of "${out##*.}")
    local inputs=() n=0 f
    for f in "$@" "$@"; do      # the melody twice
        inputs+=(-f lavfi -i "aevalsrc=0.25*(sin(2*PI*$f*t)+0.4*sin(3*PI*$f*t))*exp(-4*t):s=44100:d=0.3")
        n=$((n + 1))
    done
    ff "${inputs[@]}" -filter_complex "concat=n=$n:v=0:a=1,aformat=channel_layouts=stereo" \
       "${codec[@]}" -metadata title="$title" -metadata artist="$artist" "$out"
}

if [ ! -f "$stamp" ]; then
    tune "$music/morning.mp3" "Morning Steps" "Kelvoria Demo Band" \
        523 587 659 698 784 0 784 0 880 784 698 659 587 523 0 523
    tune "$music/harbour.ogg" "Harbour Lights" "Kelvoria Demo Band" \
        392 440 494 523 494 440 392 0 330 392 440 392 330 294 0 262
    tune "$music/evening.wma" "Evening Round" "The Test Tones" \
        440 0 440 523 659 523 440 0 392 494 587 494 392 0 440 440
    tune "$music/lullaby.wav" "Little Lullaby" "The Test Tones" \
        659 587 523 587 659 659 659 0 587 587 587 0 659 784 784 0
    tune "$music/river.flac" "River Bend" "Kelvoria Demo Band" \
        330 392 440 392 330 294 262 0 294 330 392 330 294 262 0 262
    tune "$music/window.m4a" "Window Seat" "Kelvoria Demo Band" \
        523 659 784 659 523 0 587 698 880 698 587 0 523 494 440 0
    tune "$music/lantern.opus" "Lantern Walk" "The Test Tones" \
        440 494 523 587 523 494 440 0 392 440 494 440 392 349 0 330
    tune "$music/postcard.aac" "Postcard" "The Test Tones" \
        392 392 440 392 523 494 0 392 392 440 392 587 523 0 523 0
    touch "$stamp"
fi

# savePlaylist's form: the count, then one path per line, every line ended
# by CR LF.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
{
    songs=(morning.mp3 harbour.ogg evening.wma lullaby.wav river.flac window.m4a lantern.opus postcard.aac)
    printf '%d\r\n' "${#songs[@]}"
    for song in "${songs[@]}"; do
        printf '%s\r\n' "$(winpath "$music/$song")"
    done
} > "$playlist"
