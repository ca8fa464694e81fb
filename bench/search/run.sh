#!/usr/bin/env bash
# The disk scan's benchmarks, as scripts/bench.sh runs every bench folder:
# the walk beside `find`, then one drive's scan and tags beside the bare walk.
#   run.sh BUILD_DIR
set -euo pipefail
bash "$(dirname "$0")/run-walk-bench.sh" "$@"
bash "$(dirname "$0")/run-scan-bench.sh" "$@"
