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

# On a terminal (script(1) gives it one) the bar is drawn on standard error, and only
# there: standard output, here a file, holds the same lines as before.
script -qec "'$VOLACOR' batch --jobs 2 '$EXAMPLES/samples.csv' >'$work/tty.jsonl'" "$work/typescript" >/dev/null
contains "$work/typescript" "Calculating streams [##############################] 8 of 8"
cmp -s "$work/one.jsonl" "$work/tty.jsonl" || fail "the progress bar reached standard output"
script -qec "'$VOLACOR' batch --no-progress '$EXAMPLES/samples.csv' >/dev/null" "$work/typescript" >/dev/null
lacks "$work/typescript" "Calculating streams"
