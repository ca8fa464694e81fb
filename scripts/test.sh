#!/usr/bin/env bash
# Sets up, builds, and runs every test under Wine (in the build's own
# prefix) on a virtual display when there is none, for the chosen Windows
# target (KELVORIA_ARCH, see arch.sh). The other target's program and engine
# are built and checked too, by tests that need no Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
source "$root/scripts/arch.sh"

kelvoria_setup_and_build "$root"
build=$(kelvoria_build_dir "$root")

run_tests() {
    # One wineserver for the whole run saves a second per test program.
    local prefix=$build/wineprefix wine_exec=$build/wine-exec.sh
    bash "$wine_exec" "$prefix" "$build/run" cmd /c exit >/dev/null 2>&1 || true
    bash "$wine_exec" "$prefix" "$build/run" --server -p 2>/dev/null || true
    local status=0
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@" || status=$?
    bash "$wine_exec" "$prefix" "$build/run" --server -k 2>/dev/null || true
    return $status
}
export -f run_tests
export root build
bash "$root/scripts/with-display.sh" bash -c 'run_tests "$@"' run_tests "$@"
