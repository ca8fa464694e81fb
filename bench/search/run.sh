#!/usr/bin/env bash
# The disk scan's benchmarks, as scripts/bench.sh runs every bench folder:
# the walk beside `find`, one drive's scan and tags beside the bare walk,
# then the scan away from the interface beside the player.
#   run.sh BUILD_DIR
set -euo pipefail
bash "$(dirname "$0")/run-walk-bench.sh" "$@"
bash "$(dirname "$0")/run-scan-bench.sh" "$@"
bash "$(dirname "$0")/run-background-bench.sh" "$@"
bash "$(dirname "$0")/run-done-box-bench.sh" "$@"
