#!/usr/bin/env bash
# Builds Kelvoria for the chosen target (KELVORIA_ARCH, see arch.sh) and runs
# every benchmark (bench/*/run.sh), printing the figures. Not part of the
# tests: budgets are read by people, not asserted.
#   bench.sh [engine|core|search|skin|playlist|app]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
source "$root/scripts/arch.sh"

bash "$root/scripts/setup.sh"
kelvoria_choose_arch
KELVORIA_SETUP_DONE=1 bash "$root/scripts/build.sh" --only >/dev/null
build=$(kelvoria_build_dir "$root")
for script in "$root"/bench/*/run.sh; do
    [ -n "${1:-}" ] && [[ "$script" != *"/$1/"* ]] && continue
    bash "$root/scripts/with-display.sh" bash "$script" "$build"
done
