#!/usr/bin/env bash
# Bad input: options, stream files and batch files. Each error names the file, the
# field and the line; the exit status is 2; a bad line of a batch spoils only itself.
source "$(dirname "$0")/common.sh"

# Options: one sentence on standard error, nothing on standard output, status 2.
for args in "rvp" "rvp $EXAMPLES/n-pentane.json --unit atm" "rvp $EXAMPLES/n-pentane.json -m d6377" \
            "rvp $EXAMPLES/n-pentane.json --format xml" "rvp $EXAMPLES/n-pentane.json --eos vdw" \
            "rvp $EXAMPLES/n-pentane.json --remove-nc-percent 120" "rvp $EXAMPLES/n-pentane.json --vl-ratio 0" \
            "batch $EXAMPLES/samples.csv --jobs 0" "flash $EXAMPLES/n-pentane.json --temperature-C 20" \
            "no-such-command"; do
    # shellcheck disable=SC2086
    run 2 "$work/out" "$work/err" $args
    [ ! -s "$work/out" ] || fail "volacor $args wrote data on standard output"
    contains "$work/err" "volacor: "
done

# Stream files: the message names the file, the line and the field.
printf '{"name": "x",\n "components": {\n  "nC5": 0.5,\n  "nC4": -0.5}}\n' >"$work/negative.json"
printf '{"name": "x",\n "components": {"n-pentane": 0.5,\n "unobtainium": 0.5}}\n' >"$work/unknown.json"
printf '{"name": "x",\n "components": {"nC5": 1},\n "temprature_C": 20}\n' >"$work/key.json"
while read -r file field line; do
    run 2 "$work/out" "$work/err" rvp "$EXAMPLES/n-pentane.json" "$work/$file"
    contains "$work/err" "$work/$file"
    contains "$work/err" "line $line"
    contains "$work/err" "$field"
    contains "$work/out" "n-pentane"  # the good stream before it is still calculated
done <<'CASES'
negative.json components.nC4 4
unknown.json components.unobtainium 3
key.json temprature_C 3
CASES
run 2 "$work/out" "$work/err" rvp "$work/missing.json"
contains "$work/err" "$work/missing.json"

# Batches: line 3 of each is bad; the lines before and after are calculated, in order.
cat >"$work/batch.csv" <<'CSV'
name,temperature_C,nC4,nC5,nC6
first,15,0.2,0.5,0.3
second,15,0.2,-0.5,0.3
third,15,0.1,0.6,0.3
CSV
{
    echo '{"name": "first", "components": {"nC4": 0.2, "nC5": 0.8}}'
    echo ''
    echo '{"name": "second", "components": {"nC4": 0.2, "nC5": "lots"}}'
    echo '{"name": "third", "components": {"nC5": 1}}'
} >"$work/batch.jsonl"
for batch in batch.csv batch.jsonl; do
    for jobs in 1 2; do
        run 2 "$work/out" "$work/err" batch --jobs "$jobs" --no-progress -m d6377-16 "$work/$batch"
        "$PYTHON" - "$work/out" "$work/$batch" <<'PY' || fail "batch $batch --jobs $jobs"
import json, sys
lines = [json.loads(l) for l in open(sys.argv[1])]
assert [l["stream"] for l in lines] == ["first", "second", "third"], lines
assert "error" not in lines[0] and "error" not in lines[2]
assert lines[0]["methods"][0]["rvp"]["FEED"] > 0 and lines[2]["methods"][0]["rvp"]["FEED"] > 0
error = lines[1]["error"]
assert lines[1]["bad_input"] is True
assert sys.argv[2] in error and "line 3" in error and "nC5" in error, error
PY
    done
done
run 2 "$work/out" "$work/err" batch --format csv --no-progress -m d6377-16 "$work/batch.csv"
[ "$(grep -c '^second,' "$work/out")" -eq 1 ] || fail "the bad CSV line is not one row of its own"
printf 'stream,nC5\nx,1\n' >"$work/noname.csv"
run 2 "$work/out" "$work/err" batch "$work/noname.csv"
contains "$work/err" "no 'name' column"
