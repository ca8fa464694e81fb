#!/usr/bin/env bash
# The soak: Kelvoria.exe plays 300 short songs in a row on the real engine,
# moved on by its own end-of-song rule, through the wave output (ALSA's file
# plugin as the device, so that what it plays is captured). Every ten songs
# the player's process is sampled (bench_soak_probe.exe: kernel handles, GDI
# objects, windows; private memory, its written pages, from the Wine
# process's smaps_rollup) and
# the samples are printed as a table. After the first songs the figures
# must stay flat (the last sample against song 11's; memory, the highest of
# each half), and the last song must be heard as clearly as the first.
#   soak.sh BUILD_DIR
set -euo pipefail
# shellcheck source=../lib/bench.sh
source "$(dirname "$0")/../lib/bench.sh"
bench_use_build "$1" "$1/bench/app-soak"
build=$bench_build prefix=$bench_prefix work=$bench_work
songs=300

rm -rf "$work"
mkdir -p "$work/Playlists" "$work/Music" "$work/home"
cp "$build/run/Kelvoria.exe" "$build/run/fmod.dll" "$build/bench/bench_soak_probe.exe" "$work/"
cp -r "$build/run/Skins" "$work/"

# Songs of 2 s, the four formats in turn: the player leaves a song once its
# last whole second is reached, so each is heard for 1 s, and the last one,
# at 660 Hz so that it is known in the capture, to its end.
# shellcheck source=../../tools/media.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/media.sh"
for ext in mp3 ogg wma wav; do
    make_music "$work/Music/tone.$ext" "$(tone 440 2)"
done
printf '%d\r\n' "$songs" > "$work/Playlists/Startup.m3P"
for i in $(seq 1 "$songs"); do
    ext=$(echo mp3 ogg wma wav | cut -d' ' -f$(( (i - 1) % 4 + 1 )))
    [ "$i" = "$songs" ] && ext=mp3 # the first song's format: the codecs' levels differ a little
    song=$work/Music/song$i.$ext
    if [ "$i" = "$songs" ]; then
        make_music "$song" "$(tone 660 2)"
    else
        ln -f "$work/Music/tone.$ext" "$song"
    fi
    printf 'Z:%s\r\n' "${song//\//\\}" >> "$work/Playlists/Startup.m3P"
done
bench_capture_home "$work/home"

# A server left by an earlier run may hold another display.
bench_wine --server -k 2>/dev/null || true
bench_wine cmd /c exit >/dev/null 2>&1 || true
bench_setting Minimize No
bench_setting Playlist Yes

echo "== app: soak, $songs songs of 2 s in a row (each heard 1 s, the last to its end)"
(cd "$work" && bench_capture_into "$work/home" && bench_wine Kelvoria.exe /startup >/dev/null 2>&1) &
player=$!
python3 - "$work" "$build/wine-exec.sh" "$prefix" "$songs" <<'PY' | tee "$work/samples.txt"
import os, subprocess, sys, time
work, wine_exec, prefix, songs = sys.argv[1:]
def player_pid():
    # Wine's process of this prefix, not the shell that started it nor a
    # player of another build.
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            words = open(f"/proc/{pid}/cmdline", "rb").read().split(b"\0")
            environment = open(f"/proc/{pid}/environ", "rb").read().split(b"\0")
        except OSError:
            continue
        if words[0].endswith(b"Kelvoria.exe") and b"WINEPREFIX=" + prefix.encode() in environment:
            return pid
def private_mb(pid):
    # Written pages of its own, as in run.sh: what the process holds.
    kb = 0
    for line in open(f"/proc/{pid}/smaps_rollup"):
        if line.startswith("Private_Dirty"):
            kb += int(line.split()[1])
    return kb / 1024
probe = subprocess.Popen(["bash", wine_exec, prefix, work, "bench_soak_probe.exe", songs, "1200"], cwd=work,
                         stdout=subprocess.PIPE, text=True)
start = time.monotonic()
print(f"{'song':>5} {'seconds':>8} {'handles':>8} {'GDI':>6} {'windows':>8} {'private MB':>11}")
for line in probe.stdout:
    words = line.split()
    if words[:1] == ["sample"]:
        song, handles, gdi, windows = words[1:5]
        print(f"{song:>5} {time.monotonic() - start:8.1f} {handles:>8} {gdi:>6} {windows:>8} "
              f"{private_mb(player_pid()):11.1f}", flush=True)
    else:
        print(line.strip(), flush=True)
probe.wait()
PY
# The last song's last second: over once the device plays silence.
python3 - "$work/home/out.raw" <<'PY'
import os, sys, time
from array import array
start = time.monotonic()
while time.monotonic() - start < 60:
    with open(sys.argv[1], 'rb') as raw:
        raw.seek(max(0, os.path.getsize(sys.argv[1]) - 11025 * 4) // 4 * 4)
        tail = array('h')
        tail.frombytes(raw.read(11025 * 4))
    if len(tail) == 11025 * 2 and max(map(abs, tail)) < 200:
        break
    time.sleep(0.2)
PY
# WM_CLOSE, as at log-off; destroying its X window would leave it running.
bench_wine taskkill /im Kelvoria.exe >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
kill -0 "$player" 2>/dev/null && bench_wine taskkill /f /im Kelvoria.exe >/dev/null 2>&1
bench_setting Playlist No

# The first and the last song in the capture: level and pitch.
python3 - "$work/home/out.raw" <<'PY' | tee "$work/capture.txt"
import sys
from array import array
samples = array('h')
with open(sys.argv[1], 'rb') as raw:
    samples.frombytes(raw.read())
left = samples[0::2]
loud = [i for i in range(len(left)) if abs(left[i]) > 1000]
if not loud:
    sys.exit("soak capture: no sound")
def measure(part):
    crossings = [i for i in range(1, len(part)) if part[i - 1] < 0 <= part[i]]
    hz = (len(crossings) - 1) / ((crossings[-1] - crossings[0]) / 44100) if len(crossings) > 1 else 0
    return (sum(s * s for s in part) / len(part)) ** 0.5, hz
# Half a second inside each song, clear of its edges: the first song is
# heard for a second, the last for its two.
first = measure(left[loud[0] + 4410:loud[0] + 4410 + 22050])
last = measure(left[loud[-1] - 44100:loud[-1] - 22050])
print(f"first song: level {first[0]:.0f} RMS at {first[1]:.0f} Hz; last song: level {last[0]:.0f} RMS at {last[1]:.0f} Hz")
clear = abs(last[1] - 660) < 7 and abs(first[1] - 440) < 5 and abs(last[0] - first[0]) <= first[0] * 0.05
print("last song heard as clearly as the first:", "yes" if clear else "NO")
PY

# Flat after the first songs: the last sample against the one at song 11.
read -r early late < <(awk '$1 == 11 {e = $0} $1 == '"$songs"' {l = $0} END {print (e ? "ok" : "-"), (l ? "ok" : "-")}' \
    "$work/samples.txt")
if [ "$early" = ok ] && [ "$late" = ok ]; then
    row() { awk -v song="$1" -v column="$2" '$1 == song {print $column}' "$work/samples.txt"; }
    # column, what, unit, budget (largest ratio of the last sample to song 11's)
    while read -r column what unit budget; do
        from=$(row 11 "$column"); to=$(row "$songs" "$column")
        unit=${unit//_/ }
        [ "$unit" = - ] && unit=
        bench_figure "soak: ${what//_/ } at song $songs" "$to$unit" "$from$unit (song 11)" "$(ratio "$to" "$from")" \
            "$budget"
    done <<'FIGURES'
3 kernel_handles - 1.0
4 GDI_objects - 1.0
5 windows - 1.0
FIGURES
    # Memory moves by a few MB as the heap's arenas come and go: the
    # highest of the second half of the run against that of the first.
    read -r first_half second_half < <(awk -v half=$(( songs / 2 )) \
        '$1 ~ /^[0-9]+$/ && $1 >= 11 {if ($1 <= half) {a = $6 > a ? $6 : a} else {b = $6 > b ? $6 : b}}
         END {print a, b}' "$work/samples.txt")
    bench_figure "soak: highest private memory, songs $(( songs / 2 + 1 ))-$songs" "$second_half MB" \
        "$first_half MB (songs 11-$(( songs / 2 )))" "$(ratio "$second_half" "$first_half")" 1.1
else
    bench_figure "soak: samples" "incomplete" "-" "-" -
fi
clear=$(sed -n 's/^last song heard as clearly as the first: //p' "$work/capture.txt")
bench_figure "soak: last song heard as clearly as the first" "${clear:-no capture}" "-" "-" -
