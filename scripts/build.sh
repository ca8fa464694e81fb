#!/usr/bin/env bash
# Sets up what is missing, then configures and builds Kelvoria for the chosen
# Windows target (KELVORIA_ARCH, see arch.sh) into
#   ${KELVORIA_BUILD_DIR:-build/<target>}
# with the runnable layout in <build>/run. The other target's program and
# engine are built too, into <build>/product-<other target>, so that both
# are checked on every test run.
#   build.sh [--only | --run]
#     --only: the chosen target alone
#     --run:  of the chosen target only what scripts/run-player.sh starts (the
#             program, the engine, the skins and the demo songs), no tests
#             and no benchmarks; a later build without it builds the rest
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
source "$root/scripts/arch.sh"
mode=${1:-}
case "$mode" in
    "" | --only | --run) ;;
    *) echo "usage: build.sh [--only | --run]" >&2; exit 2 ;;
esac

[ -n "${KELVORIA_SETUP_DONE:-}" ] || bash "$root/scripts/setup.sh"
kelvoria_choose_arch
build=$(kelvoria_build_dir "$root")

# configure_and_build ARCH BUILD_DIR [cmake options...]
configure_and_build() {
    local arch=$1 dir=$2 ffmpeg_prefix
    shift 2
    ffmpeg_prefix=$(KELVORIA_ARCH=$arch bash "$root/scripts/build-ffmpeg.sh" | tail -n 1)
    cmake -S "$root" -B "$dir" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release \
        -DKELVORIA_FFMPEG_PREFIX="$ffmpeg_prefix" "$@" >/dev/null
}

other=$(kelvoria_other_arch "$KELVORIA_ARCH")
product=$(kelvoria_product_dir "$build")
if [ -z "$mode" ]; then
    configure_and_build "$other" "$product" -DBUILD_TESTING=OFF -DKELVORIA_BENCHMARKS=OFF
    cmake --build "$product" -j"$(nproc)" --target Kelvoria fmod
fi
configure_and_build "$KELVORIA_ARCH" "$build" -DKELVORIA_PRODUCT_DIRS="$other=$product/run"
if [ "$mode" = --run ]; then
    # Named targets, not a configuration without tests: the same build
    # folder then serves the test command with nothing configured again.
    cmake --build "$build" -j"$(nproc)" --target Kelvoria fmod kelvoria_skins kelvoria_demo
else
    cmake --build "$build" -j"$(nproc)"
fi
echo "build: $build/run ($KELVORIA_ARCH)"
