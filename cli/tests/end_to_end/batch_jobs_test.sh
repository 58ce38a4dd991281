#!/usr/bin/env bash
# The batch on the bundled samples: the same output from one process and from two
# worker processes, in input order, in both output formats.
source "$(dirname "$0")/common.sh"
for format in jsonl csv; do
    run 0 "$work/one.$format" "$work/err" batch --format "$format" --no-progress "$EXAMPLES/samples.csv"
    run 0 "$work/two.$format" "$work/err" batch --format "$format" --no-progress --jobs 2 "$EXAMPLES/samples.csv"
    cmp -s "$work/one.$format" "$work/two.$format" || fail "--jobs 2 differs from --jobs 1 ($format)"
    lacks "$work/one.$format" "-32767"
done
rows=$(wc -l <"$work/one.jsonl")
[ "$rows" -eq "$(($(wc -l <"$EXAMPLES/samples.csv") - 1))" ] || fail "one JSON line per sample expected, got $rows"
# Nothing but data on standard output, no progress bar when standard error is a file.
[ ! -s "$work/err" ] || { cat "$work/err" >&2; fail "diagnostics where none were expected"; }
