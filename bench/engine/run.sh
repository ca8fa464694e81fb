#!/usr/bin/env bash
# The engine's benchmarks: tag reading over 1,999 files, CPU while an MP3, a
# FLAC and an M4A play (and with a song gain and the volume below full
# against without), the equalizer's levels and cost, ReplayGain's level accuracy, start and seek latency, under-runs while the
# user-interface thread works, CPU once the output has let the device go,
# what a listener hears through a real-time sound server, and 10,000
# mutated media files. Prints the
# figures.
#   run.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=../lib/bench.sh
source "$root/bench/lib/bench.sh"
run() { bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" "$@"; }
work=$build/bench/engine-files
mkdir -p "$work"

# shellcheck source=../../tools/media.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/media.sh"
if [ ! -f "$work/.complete" ]; then
    src="sine=frequency=440:duration=3"
    for kind in mp3 ogg wma wav; do
        make_music "$work/a.$kind" "$src" -metadata title=T -metadata artist=A
    done
    mkdir -p "$work/list"
    : > "$work/list.txt"
    for i in $(seq 1 1999); do
        ext=$(echo mp3 ogg wma wav | cut -d' ' -f$(( i % 4 + 1 )))
        cp "$work/a.$ext" "$work/list/song$i.$ext"
        echo "Z:${work//\//\\}\\list\\song$i.$ext" >> "$work/list.txt"
    done
    touch "$work/.complete"
fi
# The songs the CPU and latency figures play: 40 s of a tone, as a 128 kbps
# MP3, and in stereo as a FLAC and an AAC M4A.
if [ ! -f "$work/.play-complete" ]; then
    play="sine=frequency=440:duration=40"
    make_music "$work/play.mp3" "$play"
    make_music "$work/play.flac" "$play" -ac 2
    make_music "$work/play.m4a" "$play" -ac 2
    touch "$work/.play-complete"
fi
# The same songs as a folder tree to scan, and a long song to play meanwhile.
if [ ! -f "$work/.tree-complete" ]; then
    for i in $(seq 1 1999); do
        folder=$work/tree/artist$(( i % 40 ))/album$(( i % 3 ))
        mkdir -p "$folder"
        ln -f "$work"/list/song"$i".* "$folder/"
    done
    make_music "$work/long.mp3" "$(tone 440 600)"
    touch "$work/.tree-complete"
fi
winpath() { echo "Z:${1//\//\\}"; }

echo "== engine: tags, against opening each file and reading its first 64 KB"
run "$build/bench/bench_engine_tags.exe" "$(winpath "$work/list.txt")" | tr -d '\r' | tee "$work/tags.txt"
read -r engine_ms floor_ms < <(sed -n 's/^per file: //p' "$work/tags.txt")
bench_figure "open, tags and close, per file" "$engine_ms ms" "$floor_ms ms (CreateFileA + 64 KB ReadFile)" \
    "$(ratio "$engine_ms" "$floor_ms")" -

# cpu_figure KIND WHAT: the engine alone playing play.KIND for 30 s, against
# ffmpeg decoding the same file at its own pace (-re) in the same run.
cpu_figure() {
    local kind=$1 what=$2 engine_cpu ffmpeg_cpu
    echo "== engine: CPU while $what plays for 30 s"
    run "$build/bench/bench_engine_cpu.exe" "$(winpath "$work/play.$kind")" 30 | tee "$work/cpu-$kind.txt"
    engine_cpu=$(sed -n 's/.*: \([0-9.]*\) s CPU.*/\1/p' "$work/cpu-$kind.txt")
    ffmpeg_cpu=$( { TIMEFORMAT='%U %S'; time ffmpeg -nostdin -loglevel error -re -t 30 -i "$work/play.$kind" -f null - ; } 2>&1 | awk '{print $1 + $2}')
    bench_figure "engine alone while $what plays" "$engine_cpu s CPU in 30 s" "$ffmpeg_cpu s (ffmpeg -re)" \
        "$(ratio "$engine_cpu" "$ffmpeg_cpu")" 0.9
}
cpu_figure mp3 "an MP3"
cpu_figure flac "a FLAC"
cpu_figure m4a "an M4A"

# The CPU figure through transitions: 10 s MP3s one after another, a
# transition every 10 s for a minute, against one long MP3 playing for as
# long, measured right before (the process times tick in 10 ms steps: a
# minute keeps that within 5%).
if [ ! -f "$work/.chain-complete-v2" ]; then
    for i in 1 2 3; do
        ff -f lavfi -i "sine=frequency=$(( 300 + 100 * i )):duration=10" -c:a libmp3lame -b:a 128k "$work/chain$i.mp3"
    done
    # Songs of four kinds, 5 s each, for the under-runs at transitions.
    ff -f lavfi -i "sine=frequency=440:duration=5" -c:a libmp3lame -b:a 128k "$work/turn1.mp3"
    ff -f lavfi -i "sine=frequency=550:duration=5" -ac 2 -c:a flac "$work/turn2.flac"
    ff -f lavfi -i "sine=frequency=660:duration=5" -ac 2 -c:a aac -b:a 192k "$work/turn3.m4a"
    ff -f lavfi -i "sine=frequency=770:duration=5:sample_rate=48000" -c:a libvorbis "$work/turn4.ogg"
    touch "$work/.chain-complete-v2"
fi
echo "== engine: CPU while one MP3 plays for 60 s, then 10 s MP3s one after another for 60 s"
run "$build/bench/bench_engine_cpu.exe" "$(winpath "$work/long.mp3")" 60 | tee "$work/cpu-long.txt"
run "$build/bench/bench_engine_cpu.exe" "$(winpath "$work/chain1.mp3")" 60 "$(winpath "$work/chain2.mp3")" \
    "$(winpath "$work/chain3.mp3")" | tee "$work/cpu-chain.txt"
chain_cpu=$(sed -n 's/.*: \([0-9.]*\) s CPU.*/\1/p' "$work/cpu-chain.txt")
long_cpu=$(sed -n 's/.*: \([0-9.]*\) s CPU.*/\1/p' "$work/cpu-long.txt")
bench_figure "engine through $(sed -n 's/^transitions: //p' "$work/cpu-chain.txt") transitions in 60 s" \
    "$chain_cpu s CPU" "$long_cpu s (one MP3 playing)" "$(ratio "$chain_cpu" "$long_cpu")" 1.05

# cpu_gain_figure KIND WHAT: what a song gain and the volume at 50 % add to
# the engine's work per second of music (decoding, the ring, the output's
# gain), measured apart from the device, where the difference stands out;
# then that addition on top of the playing figure measured above.
cpu_gain_figure() {
    local kind=$1 what=$2 plain gained playing
    echo "== engine: work while $what plays with a gain and the volume at 50 %, against without"
    run "$build/bench/bench_engine_gain_cpu.exe" "$(winpath "$work/play.$kind")" | tr -d '\r' |
        grep '^per second' | tee "$work/gain-cpu-$kind.txt"
    read -r plain gained < <(sed -n 's/^per second of music: \([0-9.]*\) ms plain, \([0-9.]*\) ms.*/\1 \2/p' \
        "$work/gain-cpu-$kind.txt")
    bench_figure "decoding and output of $what with gain and volume" "$gained ms per s of music" \
        "$plain ms without" "$(ratio "$gained" "$plain")" -
    # The playing figure: CPU seconds in 30 s, as milliseconds per second.
    playing=$(sed -n 's/.*: \([0-9.]*\) s CPU.*/\1/p' "$work/cpu-$kind.txt" | python3 -c "print(f'{float(input()) / 30 * 1000:.3f}')")
    bench_figure "engine while $what plays with gain and volume" \
        "$(python3 -c "print(f'{$playing + $gained - $plain:.3f}')") ms CPU per s" "$playing ms playing without" \
        "$(ratio "$(python3 -c "print($playing + $gained - $plain)")" "$playing")" 1.05
}
cpu_gain_figure mp3 "an MP3"
cpu_gain_figure flac "a FLAC"
cpu_gain_figure m4a "an M4A"

# The equalizer: its levels on tones, and what it adds to the work per
# second of music while an MP3 plays, then that on top of the engine's
# playing figure (the budget of 1.03 is the player's, in bench/app).
echo "== engine: the equalizer"
run "$build/bench/bench_engine_equalizer.exe" "$(winpath "$work/play.mp3")" | tr -d '\r' | tee "$work/equalizer.txt"
read -r eq_off eq_on < <(sed -n 's/^per second of music: \([0-9.]*\) ms off, \([0-9.]*\) ms on.*/\1 \2/p' \
    "$work/equalizer.txt")
bench_figure "decoding and output of an MP3 with the equalizer on" "$eq_on ms per s of music" "$eq_off ms off" \
    "$(ratio "$eq_on" "$eq_off")" -
playing=$(sed -n 's/.*: \([0-9.]*\) s CPU.*/\1/p' "$work/cpu-mp3.txt" | python3 -c "print(f'{float(input()) / 30 * 1000:.3f}')")
bench_figure "engine while an MP3 plays with the equalizer on" \
    "$(python3 -c "print(f'{$playing + $eq_on - $eq_off:.3f}')") ms CPU per s" "$playing ms off" \
    "$(ratio "$(python3 -c "print($playing + $eq_on - $eq_off)")" "$playing")" -

echo "== engine: ReplayGain level accuracy over the eight kinds with gain tags"
gain_fixtures=$build/tests/fixtures/gain
bash "$root/tests/fixtures/make-gain-fixtures.sh" "$gain_fixtures"
( cd "$build/tests" && run "$build/tests/engine_level_test.exe" --gtest_filter=Level.EachKindPlaysAtItsTaggedGain ) |
    tr -d '\r' | grep -v '^\[' | tee "$work/level.txt"
worst=$(sed -n 's/^largest difference from the expected level: \([0-9.]*\) dB/\1/p' "$work/level.txt")
bench_figure "ReplayGain level, largest difference from the tag" "${worst:-no figure} dB" "-" "-" "0.05 dB"

echo "== engine: latency"
run "$build/bench/bench_engine_latency.exe" "$(winpath "$work/play.mp3")"

echo "== engine: under-runs of the wave output while the user-interface thread works, songs of 5 s following one another"
# No sound card here: ALSA's default device is its file plugin, so that
# Wine's wave output really plays and what it played is captured. Its null
# slave takes audio faster than real time (about three times here), which
# only makes the decoder's task harder.
home=$(mktemp -d)
bench_capture_home "$home"
( cd "$build/run" && bench_capture_into "$home" && bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" \
    "$build/bench/bench_underrun.exe" \
    "$(winpath "$work/turn1.mp3")|$(winpath "$work/turn2.flac")|$(winpath "$work/turn3.m4a")|$(winpath "$work/turn4.ogg")" \
    "$(winpath "$work/list.txt")" \
    "$(winpath "$work/tree")\\*.*" 2 || echo "under-run benchmark: failed" ) | tr -d '\r' | tee "$work/underrun.txt"
underruns=$(sed -n 's/^under-runs: //p' "$work/underrun.txt")
# A gap is a stretch of 32 or more near-silent frames (0.7 ms) inside the
# captured tone, which never crosses zero that slowly.
python3 - "$home/out.raw" "$(sed -n 's/^heard //p' "$work/underrun.txt")" <<'PY' | tee "$work/capture.txt"
import sys
from array import array
samples = array('h')
with open(sys.argv[1], 'rb') as raw:
    samples.frombytes(raw.read())
left = samples[0::2]
loud = [i for i in range(len(left)) if abs(left[i]) > 1000]
first, last = (loud[0], loud[-1]) if loud else (0, -1)
run = longest = gaps = 0
for sample in left[first:last + 1]:
    run = run + 1 if abs(sample) < 200 else 0
    gaps += run == 32
    longest = max(longest, run)
print(f"captured tone {(last - first + 1) / 44100 * 1000:.0f} ms (the engine heard {sys.argv[2]}); "
      f"longest near-silent stretch {longest} frames; gaps: {gaps}")
PY
rm -rf "$home"
gaps=$(sed -n 's/.*gaps: //p' "$work/capture.txt")
bench_figure "under-runs while the UI thread works, $(sed -n 's/^transitions: //p' "$work/underrun.txt") transitions" \
    "${underruns:-no figure} under-runs" "-" "-" "0 under-runs"
bench_figure "gaps in the captured sound meanwhile" "${gaps:-no figure} gaps" "-" "-" "0 gaps"

echo "== engine: CPU from 10 s after Stop against before any song, on the wave output (ALSA's file plugin)"
home=$(mktemp -d)
bench_capture_home "$home"
( cd "$build/run" && bench_capture_into "$home" && bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" \
    "$build/bench/bench_engine_idle_cpu.exe" "$(winpath "$work/play.mp3")" 10 ) | tr -d '\r' | tee "$work/idle-cpu.txt"
rm -rf "$home"
read -r idle_before idle_after idle_ratio < <(sed -n \
    's/^cpu before any song: \([0-9.]*\) %; playing: [0-9.]* %; from 10 s after stop: \([0-9.]*\) %; ratio \([0-9.]*\)/\1 \2 \3/p' \
    "$work/idle-cpu.txt")
bench_figure "CPU from 10 s after Stop" "${idle_after:-no figure} %" "${idle_before:-?} % before any song" \
    "${idle_ratio:--}" 1.1

echo "== engine: frames lost and added at 20 transitions between songs of the eight kinds"
# Songs whose left channel counts its frames (WAV, FLAC, ALAC, FLAC in Ogg)
# alternate with songs of every other kind and rate, all 1.75 s long; ALSA's
# file plugin takes what the engine hands the device.
songs=$build/bench/gapless-songs
bash "$root/tests/engine/make-gapless-songs.sh" "$songs"
decoded() { ffmpeg -nostdin -loglevel error -i "$songs/$1" -f s16le -ac 2 -ar 44100 - | wc -c | awk '{print $1 / 4}'; }
counting=(counter.wav counter.flac counter-alac.m4a counter-flac.ogg)
# Lossy kinds carry the encoder's input length (the file says where it ends);
# WMA and raw AAC say nothing of it: every decoded frame is the length.
others=(counter.mp3:77175 counter.ogg:77175 counter.m4a:77175 counter.opus:77175
        "counter.wma:$(decoded counter.wma)" "counter.aac:$(decoded counter.aac)" counter48k.flac:77175)
files=() expected=()
for i in $(seq 0 10); do
    file=${counting[$(( i % 4 ))]}
    files+=("$(winpath "$songs/$file")") expected+=("$file:77175:1")
    [ "$i" = 10 ] && break
    other=${others[$(( i % 7 ))]}
    files+=("$(winpath "$songs/${other%%:*}")") expected+=("$other:0")
done
home=$(mktemp -d)
bench_capture_home "$home"
( cd "$build/run" && bench_capture_into "$home" && bash "$build/wine-exec.sh" "$build/wineprefix" "$build/run" \
    "$build/bench/bench_play_chain.exe" "${files[@]}" ) | tr -d '\r' | tail -1
python3 "$here/gapless_capture.py" "$home/out.raw" 77175 "${expected[@]}" | tee "$work/gapless.txt" ||
    echo "gapless: the capture is not whole"
rm -rf "$home"
lost_added=$(sed -n 's/^transitions: \([0-9]*\); frames lost: \([0-9]*\); frames added: \([0-9]*\)/\1 transitions: \2 lost, \3 added/p' "$work/gapless.txt")
bench_figure "frames lost and added at transitions (capture)" "${lost_added:-no figure}" "-" "-" "0 lost, 0 added"

echo "== engine: what a listener hears in real time: 9 counting songs through PulseAudio's null sink"
# Wine plays through a private sound server that plays in real time; its
# monitor is recorded, paced by the clock. Frames skipped and silences here
# come after fmod.dll: the ALSA capture above shows what the engine handed
# the device.
if command -v pulseaudio > /dev/null && command -v parec > /dev/null; then
    pulse=$(mktemp -d)
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-level=error \
        -L "module-null-sink sink_name=cap rate=44100 channels=2" \
        -L "module-native-protocol-unix socket=$pulse/pulse.sock auth-anonymous=1" 2> /dev/null &
    server=$!
    for _ in $(seq 100); do [ -S "$pulse/pulse.sock" ] && break; sleep 0.1; done
    PULSE_SERVER=unix:$pulse/pulse.sock parec -d cap.monitor --format=s16le --rate=44100 --channels=2 --raw \
        > "$pulse/out.raw" &
    recorder=$!
    files=()
    for i in $(seq 0 8); do files+=("$(winpath "$songs/${counting[$(( i % 4 ))]}")"); done
    ( cd "$build/run" && HOME=$pulse PULSE_SERVER=unix:$pulse/pulse.sock bash "$build/wine-exec.sh" \
        "$build/wineprefix" "$build/run" "$build/bench/bench_play_chain.exe" "${files[@]}" ) | tr -d '\r' | tail -1
    kill "$recorder" "$server"
    wait "$recorder" "$server" 2> /dev/null || true
    python3 "$here/realtime_capture.py" "$pulse/out.raw" 77175 | tee "$work/realtime.txt"
    rm -rf "$pulse"
    bench_figure "heard in real time (PulseAudio), 8 changes of song" \
        "$(sed -n 's/^real time: //p' "$work/realtime.txt")" "-" "-" -
else
    echo "no pulseaudio here (scripts/setup.sh installs it)"
fi

for sink in idle busy; do
    echo "== engine: every frame of three numbered songs heard in real time (PulseAudio, $sink null sink), with a seek and a pause"
    option=()
    [ "$sink" = busy ] && option=(--busy-sink)
    bash "$root/tests/engine/realtime_listening.sh" "${option[@]}" "$build/wine-exec.sh" "$build/wineprefix" "$build/run" \
        "$build/tests/play_songs.exe" | tee "$work/listening.txt" || true
    while IFS= read -r line; do
        bench_figure "heard in real time, $sink sink: ${line%%: listening:*}" "${line#*listening: }" "-" "-" "0 lost, 0 repeated"
    done < <(grep ': listening: ' "$work/listening.txt")
done

echo "== engine: 10,000 mutated media files of nine kinds (seed 13), each opened, read, played, sought, stopped, closed"
fixtures=$build/tests/fixtures/engine
bash "$root/tests/fixtures/make-engine-fixtures.sh" "$fixtures"
rm -rf "$work/fuzz"
# Exit status 1 means a file crashed, hung or got a wrong answer: the lines
# above the figures name each one; the figures are printed either way.
{ run "$build/tests/engine_media_fuzz.exe" "$(winpath "$fixtures")" "$(winpath "$work/fuzz")" --seed 13 --count 10000 ||
    echo "engine fuzz: failures above"; } | tr -d '\r' | tee "$work/fuzz.txt"
failures=$(sed -n 's/^engine fuzz: seed .* crashes \([0-9]*\), hangs \([0-9]*\), wrong answers \([0-9]*\).*/\1 crashes, \2 hangs, \3 wrong answers/p' "$work/fuzz.txt")
bench_figure "10,000 mutated media files" "${failures:-no figures}" "-" "-" -
