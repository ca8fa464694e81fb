# Sourced by every script that makes music files with the ffmpeg tool (test
# fixtures, the demo, benchmark trees), so that each kind is made one way:
#   ff ARGS...               ffmpeg, quiet, overwriting, never reading stdin
#   codec_of KIND            the encoder arguments of a kind, one per line
#   make_music OUT SOURCE [ARGS...]
#                            a file of the kind OUT's extension names, from
#                            the lavfi SOURCE, with extra output ARGS
#   tone HZ SECONDS [RATE]   a lavfi sine source
# A script that wants another encoding of a kind on purpose (a variable bit
# rate, an older codec) says so with its own ff line.

ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }

tone() { echo "sine=frequency=$1:sample_rate=${3:-44100}:duration=$2"; }

# The encoders a listener's files most often come from; raw AAC carries its
# tags in an ID3v2 header, as tagging programs write them.
codec_of() {
    case $1 in
        mp3) printf '%s\n' -c:a libmp3lame -b:a 128k ;;
        wav) printf '%s\n' -c:a pcm_s16le ;;
        wma) printf '%s\n' -c:a wmav2 -b:a 128k ;;
        ogg) printf '%s\n' -c:a libvorbis -q:a 4 ;;
        flac) printf '%s\n' -c:a flac ;;
        m4a) printf '%s\n' -c:a aac -b:a 128k ;;
        opus) printf '%s\n' -c:a libopus -b:a 96k ;;
        aac) printf '%s\n' -c:a aac -b:a 128k -write_id3v2 1 ;;
        *) echo "codec_of: no music kind '$1'" >&2; return 1 ;;
    esac
}

make_music() {
    local out=$1 source=$2 kind codec
    shift 2
    kind=${out##*.}
    kind=${kind,,}
    mapfile -t codec < <(codec_of "$kind")
    [ "${#codec[@]}" -gt 0 ] || return 1
    ff -f lavfi -i "$source" "${codec[@]}" "$@" "$out"
}
