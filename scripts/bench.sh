#!/usr/bin/env bash
# Builds Kelvoria for the chosen target (KELVORIA_ARCH, see arch.sh) and runs
# every benchmark (bench/*/run.sh), printing the figures. Not part of the
# tests: budgets are read by people, not asserted.
#   bench.sh [engine|core|search|skin|playlist|app]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=arch.sh
source "$root/scripts/arch.sh"

kelvoria_setup_and_build "$root" --only >/dev/null
build=$(kelvoria_build_dir "$root")
KELVORIA_BENCH_SUMMARY=$(mktemp)
export KELVORIA_BENCH_SUMMARY
trap 'rm -f "$KELVORIA_BENCH_SUMMARY"' EXIT
for script in "$root"/bench/*/run.sh; do
    [ -n "${1:-}" ] && [[ "$script" != *"/$1/"* ]] && continue
    bash "$root/scripts/with-display.sh" bash "$script" "$build"
done

# One table of every figure beside its floor, so that a reader sees at a
# glance what holds on this machine.
python3 - "$KELVORIA_BENCH_SUMMARY" "$KELVORIA_ARCH" <<'PY'
import re, sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1]) if line.strip()]
def holds(measured, ratio, budget):
    if budget == "-":
        return "reported"
    limit = re.match(r"[\d.]+", budget)
    unit = budget[limit.end():].strip()
    value = re.match(r"[\d.]+", measured if unit else ratio)
    if not value:
        return "?"
    return "holds" if float(value.group()) <= float(limit.group()) else "MISSED"
table = [("figure", "measured", "floor", "ratio", "budget", "")]
table += [(n, m, f, r, b, holds(m, r, b)) for n, m, f, r, b in rows]
widths = [max(len(row[i]) for row in table) for i in range(6)]
print("\n== summary (%s)" % sys.argv[2])
for row in table:
    print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)).rstrip())
PY
