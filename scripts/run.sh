#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Kelvoria under Wine in the
# project's own prefix, on the demo playlist: on $DISPLAY, or on a virtual
# display started for it when there is none (then a screenshot is saved).
# The target is the one this machine runs (KELVORIA_ARCH chooses, see arch.sh).
#   KELVORIA_BUILD_DIR=... bash scripts/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
source "$root/scripts/arch.sh"

kelvoria_setup_and_build "$root" --run
bash "$root/scripts/run-player.sh" "$(kelvoria_build_dir "$root")"
