#!/usr/bin/env bash
# The disk scan's benchmark, as scripts/bench.sh runs every bench folder.
#   run.sh BUILD_DIR
exec bash "$(dirname "$0")/run-walk-bench.sh" "$@"
