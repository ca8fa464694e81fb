#!/usr/bin/env bash
# Cross-builds the minimal static LGPL FFmpeg that the engine links, from
# Debian's own ffmpeg source package, into a cache outside the checkout.
# The cache is keyed by the source version and this script's configuration,
# so a clean clone on the same machine reuses it.
# One build per Windows target: KELVORIA_ARCH (i686 or x86_64, see arch.sh).
# Prints the installation prefix on its last line.
set -euo pipefail
# shellcheck source=arch.sh
source "$(dirname "$0")/arch.sh"
kelvoria_choose_arch

CACHE_ROOT=${KELVORIA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kelvoria}
CROSS=$KELVORIA_CROSS-
case "$KELVORIA_ARCH" in
    i686) FFMPEG_ARCH=x86 ;;
    x86_64) FFMPEG_ARCH=x86_64 ;;
esac

CONFIGURE_FLAGS=(
    --target-os=mingw32 --arch=$FFMPEG_ARCH --cross-prefix=$CROSS --enable-cross-compile
    --cc=${CROSS}gcc-posix --cxx=${CROSS}g++-posix
    --enable-static --disable-shared --disable-autodetect
    --disable-everything --disable-programs --disable-doc --disable-network
    --disable-avdevice --disable-avfilter --disable-swscale --disable-postproc
    --disable-debug --disable-pthreads --disable-w32threads
    --enable-avformat --enable-avcodec --enable-swresample
    # What each kind of music file needs, one group per kind, in the order
    # of the player's kinds table (core/music_kinds.cpp): mp3, wav, wma, ogg,
    # flac, m4a, opus, aac, wv, ape. A component two kinds share is named in both.
    # mp3: MPEG audio layer III.
    --enable-demuxer=mp3 --enable-parser=mpegaudio --enable-decoder=mp3,mp3float
    # wav: PCM, A-law, mu-law and the two common ADPCMs in RIFF.
    --enable-demuxer=wav
    --enable-decoder=pcm_u8,pcm_s8,pcm_s16le,pcm_s24le,pcm_s32le,pcm_f32le,pcm_f64le,pcm_alaw,pcm_mulaw
    --enable-decoder=adpcm_ms,adpcm_ima_wav
    # wma: WMA 1, 2, Pro and Lossless in ASF.
    --enable-demuxer=asf --enable-decoder=wmav1,wmav2,wmapro,wmalossless
    # ogg: Vorbis, and FLAC, in Ogg (the demuxer leaves FLAC's frames to its parser).
    --enable-demuxer=ogg --enable-parser=vorbis,flac --enable-decoder=vorbis,flac
    # flac: native FLAC.
    --enable-demuxer=flac --enable-parser=flac --enable-decoder=flac
    # m4a: AAC and ALAC in MP4.
    --enable-demuxer=mov --enable-decoder=aac,alac
    # opus: Opus in Ogg.
    --enable-demuxer=ogg --enable-parser=opus --enable-decoder=opus
    # aac: raw AAC in ADTS frames.
    --enable-demuxer=aac --enable-parser=aac --enable-decoder=aac
    # wv: WavPack, lossless or hybrid (the demuxer reads its APEv2 tag).
    --enable-demuxer=wv --enable-decoder=wavpack
    # ape: Monkey's Audio (the demuxer reads its APEv2 tag).
    --enable-demuxer=ape --enable-decoder=ape
    --extra-cflags=-O2
)

source_version() {
    apt-cache showsrc ffmpeg 2>/dev/null | awk '/^Version:/ {print $2}' | sort -V | tail -n 1
}

# The unpacked source and the objects live here until the script ends.
work=""
cleanup() {
    [ -z "$work" ] || rm -rf "$work"
}
trap cleanup EXIT

# What the release packages' licence notice says of this build: the exact
# Debian source package and configuration it came from.
write_build_record() {
    local prefix=$1 version=$2
    mkdir -p "$prefix/share"
    {
        echo "Debian source package: ffmpeg $version"
        echo "Configured with: ${CONFIGURE_FLAGS[*]}"
    } >"$prefix/share/kelvoria-ffmpeg-build.txt"
}

main() {
    local version key prefix src
    version=$(source_version)
    [ -n "$version" ] || { echo "build-ffmpeg: no ffmpeg source package known to apt (run scripts/setup.sh)" >&2; exit 1; }
    key=$(printf '%s\n' "$version" "${CONFIGURE_FLAGS[@]}" | sha1sum | cut -c1-12)
    prefix="$CACHE_ROOT/ffmpeg-$KELVORIA_ARCH-${version//[:~]/_}-$key"
    if [ -f "$prefix/.complete" ]; then
        [ -f "$prefix/share/kelvoria-ffmpeg-build.txt" ] || write_build_record "$prefix" "$version"
        echo "$prefix"
        return
    fi
    # Two builds on one machine wait for each other rather than share a prefix.
    mkdir -p "$CACHE_ROOT"
    exec 9>"$prefix.lock"
    flock 9
    if [ -f "$prefix/.complete" ]; then
        echo "$prefix"
        return
    fi
    work=$(mktemp -d "${TMPDIR:-/tmp}/kelvoria-ffmpeg.XXXXXX")
    echo "build-ffmpeg: fetching Debian's ffmpeg $version source for $KELVORIA_ARCH" >&2
    (cd "$work" && apt-get source -qq --download-only "ffmpeg=$version" >&2 \
        && dpkg-source -x --no-check ./*.dsc src >&2)
    src="$work/src"
    echo "build-ffmpeg: configuring and building (a minute or two)" >&2
    rm -rf "$prefix"
    mkdir -p "$prefix"
    (cd "$src" && ./configure --prefix="$prefix" "${CONFIGURE_FLAGS[@]}" >&2 \
        && make -j"$(nproc)" >&2 && make install >&2)
    write_build_record "$prefix" "$version"
    touch "$prefix/.complete"
    echo "$prefix"
}

main "$@"
