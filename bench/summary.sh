# Sourced by the benchmarks (bench/*/run.sh): one row of the summary table
# that scripts/bench.sh prints at the end.
#   bench_figure NAME MEASURED FLOOR RATIO BUDGET
# MEASURED and FLOOR are texts with their units; RATIO is MEASURED / FLOOR
# (or "-"); BUDGET is the largest ratio allowed ("1.2"), a largest figure
# with its unit ("24 MB", compared with MEASURED), or "-" for a figure that
# is only reported.
bench_figure() {
    printf 'figure: %s: %s against %s, ratio %s (budget %s)\n' "$1" "$2" "$3" "$4" "$5"
    if [ -n "${KELVORIA_BENCH_SUMMARY:-}" ]; then
        printf '%s\t%s\t%s\t%s\t%s\n' "$1" "$2" "$3" "$4" "$5" >>"$KELVORIA_BENCH_SUMMARY"
    fi
}

# ratio A B: A / B with two decimals.
ratio() {
    python3 -c "import sys; a, b = map(float, sys.argv[1:]); print(f'{a / b:.2f}' if b > 0 else '-')" "$1" "$2"
}
