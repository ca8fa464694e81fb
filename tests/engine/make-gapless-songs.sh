#!/usr/bin/env bash
# Songs of 1.75 s (77,175 frames at 44.1 kHz) of every kind, each made from
# one source whose left channel counts its frames (0, 1, 2 ... wrapping at
# 32,768) and whose right channel is quiet: in a capture of lossless songs
# every lost, added or repeated frame shows. Lossy kinds carry the same
# length, as far as their files say where the song ends.
#   make-gapless-songs.sh OUTDIR
set -euo pipefail
out=$1
stamp=$out/.complete-v2
[ -f "$stamp" ] && exit 0
rm -rf "$out"
mkdir -p "$out"
cd "$out"

counter() {
    python3 - "$1" "$2" <<'PY'
import struct, sys
rate, frames = int(sys.argv[1]), int(sys.argv[2])
pcm = b''.join(struct.pack('<hh', i % 32768, 0) for i in range(frames))
fmt = struct.pack('<HHIIHH', 1, 2, rate, rate * 4, 4, 16)
body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(pcm)) + pcm
sys.stdout.buffer.write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY
}
counter 44100 77175 > counter.wav
counter 48000 84000 > counter48k.wav

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y -i "$@"; }
ff counter.wav -c:a flac counter.flac
ff counter.wav -c:a wavpack counter.wv
ff counter.wav -c:a flac -f ogg counter-flac.ogg
ff counter.wav -c:a alac counter-alac.m4a
ff counter48k.wav -c:a flac counter48k.flac
ff counter.wav -c:a libmp3lame -b:a 192k counter.mp3
ff counter.wav -c:a libvorbis -q:a 5 counter.ogg
ff counter.wav -c:a aac -b:a 192k counter.m4a
ff counter48k.wav -c:a libopus -b:a 128k counter.opus
ff counter.wav -c:a wmav2 -b:a 192k counter.wma
ff counter.wav -c:a aac -b:a 192k -f adts counter.aac
touch "$stamp"
