#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Kelvoria under Wine in the
# project's own prefix, on the demo playlist: on $DISPLAY, or on a virtual
# display started for it when there is none (then a screenshot is saved).
#   KELVORIA_BUILD_DIR=... bash scripts/run.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVORIA_BUILD_DIR:-$root/build}
export KELVORIA_BUILD_DIR=$build

bash "$root/scripts/build.sh"
bash "$root/scripts/run-player.sh" "$build"
