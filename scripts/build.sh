#!/usr/bin/env bash
# Sets up what is missing, then configures and builds Kelvoria for the chosen
# Windows target (KELVORIA_ARCH, see arch.sh) into
#   ${KELVORIA_BUILD_DIR:-build/<target>}
# with the runnable layout in <build>/run. The other target's program and
# engine are built too, into <build>/product-<other target>, so that both
# are checked on every test run.
#   build.sh [--only]   --only: the chosen target alone
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
source "$root/scripts/arch.sh"

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
if [ "${1:-}" != --only ]; then
    configure_and_build "$other" "$product" -DBUILD_TESTING=OFF
    cmake --build "$product" -j"$(nproc)" --target Kelvoria fmod
fi
configure_and_build "$KELVORIA_ARCH" "$build" -DKELVORIA_PRODUCT_DIRS="$other=$product/run"
cmake --build "$build" -j"$(nproc)"
echo "build: $build/run ($KELVORIA_ARCH)"
