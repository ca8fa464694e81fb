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

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

# A tune: notes (Hz, 0 for a rest) of 0.3 s each, played twice, plucked (each note fades
# as it sounds) with a fifth above it, quietly.
tune() {
    local out=$1 title=$2 artist=$3 codec=$4
    shift 4
    local inputs=() n=0 f
    for f in "$@" "$@"; do      # the melody twice
        inputs+=(-f lavfi -i "aevalsrc=0.25*(sin(2*PI*$f*t)+0.4*sin(3*PI*$f*t))*exp(-4*t):s=44100:d=0.3")
        n=$((n + 1))
    done
    ff "${inputs[@]}" -filter_complex "concat=n=$n:v=0:a=1,aformat=channel_layouts=stereo" \
       $codec -metadata title="$title" -metadata artist="$artist" "$out"
}

if [ ! -f "$stamp" ]; then
    tune "$music/morning.mp3" "Morning Steps" "Kelvoria Demo Band" "-c:a libmp3lame -b:a 128k" \
        523 587 659 698 784 0 784 0 880 784 698 659 587 523 0 523
    tune "$music/harbour.ogg" "Harbour Lights" "Kelvoria Demo Band" "-c:a libvorbis -q:a 4" \
        392 440 494 523 494 440 392 0 330 392 440 392 330 294 0 262
    tune "$music/evening.wma" "Evening Round" "The Test Tones" "-c:a wmav2 -b:a 128k" \
        440 0 440 523 659 523 440 0 392 494 587 494 392 0 440 440
    tune "$music/lullaby.wav" "Little Lullaby" "The Test Tones" "-c:a pcm_s16le" \
        659 587 523 587 659 659 659 0 587 587 587 0 659 784 784 0
    tune "$music/river.flac" "River Bend" "Kelvoria Demo Band" "-c:a flac" \
        330 392 440 392 330 294 262 0 294 330 392 330 294 262 0 262
    tune "$music/window.m4a" "Window Seat" "Kelvoria Demo Band" "-c:a aac -b:a 128k" \
        523 659 784 659 523 0 587 698 880 698 587 0 523 494 440 0
    tune "$music/lantern.opus" "Lantern Walk" "The Test Tones" "-c:a libopus -b:a 96k" \
        440 494 523 587 523 494 440 0 392 440 494 440 392 349 0 330
    tune "$music/postcard.aac" "Postcard" "The Test Tones" "-c:a aac -b:a 128k -write_id3v2 1" \
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
