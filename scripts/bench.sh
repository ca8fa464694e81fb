#!/usr/bin/env bash
# Builds Kelvoria and runs every benchmark (bench/*/run.sh), printing the
# figures. Not part of the tests: budgets are read by people, not asserted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVORIA_BUILD_DIR:-$root/build}
export KELVORIA_BUILD_DIR=$build
bash "$root/scripts/build.sh" >/dev/null
for script in "$root"/bench/*/run.sh; do
    [ -n "${1:-}" ] && [[ "$script" != *"/$1/"* ]] && continue
    bash "$root/scripts/with-display.sh" bash "$script" "$build"
done
