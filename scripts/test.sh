#!/usr/bin/env bash
# Sets up, builds, and runs every test under Wine (in the build's own
# prefix) on a virtual display when there is none.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVORIA_BUILD_DIR:-$root/build}
export KELVORIA_BUILD_DIR=$build

bash "$root/scripts/build.sh"

run_tests() {
    # One wineserver for the whole run saves a second per test program.
    local prefix=$build/wineprefix
    bash "$root/scripts/wine-exec.sh" "$prefix" "$build/run" cmd /c exit >/dev/null 2>&1 || true
    WINEPREFIX=$prefix wineserver -p 2>/dev/null || true
    local status=0
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@" || status=$?
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    return $status
}
export -f run_tests
export root build
bash "$root/scripts/with-display.sh" bash -c 'run_tests "$@"' run_tests "$@"
