#!/usr/bin/env bash
# What a new user tries first: help on every command, the component table, a flash.
source "$(dirname "$0")/common.sh"
run 0 "$work/out" "$work/err" --help
for command in rvp flash methods components batch; do
    contains "$work/out" "$command"
    run 0 "$work/help" "$work/err" "$command" --help
    contains "$work/help" "Usage: volacor $command"
done
lacks "$work/out" "worker"

run 0 "$work/out" "$work/err" components 109-66-0
contains "$work/out" "n-pentane"
run 0 "$work/out" "$work/err" components nC5
contains "$work/out" "n-pentane"
run 2 "$work/out" "$work/err" components unobtainium
contains "$work/err" "no component matches"

run 0 "$work/out" "$work/err" flash --format json "$EXAMPLES/wet-condensate.json" --temperature-C 40 --pressure-kPa 100
"$PYTHON" - "$work/out" <<'PY' || fail "the wet condensate does not split into three phases"
import json, sys
f = json.load(open(sys.argv[1]))
assert set(f["phases"]) == {"VAP", "LIQ1", "LIQ2"}, f["phases"].keys()
assert abs(sum(p["fraction"] for p in f["phases"].values()) - 1) < 1e-9
water = f["phases"]["LIQ2"]["composition"]["water"]
assert water > 0.9 and f["phases"]["LIQ2"]["density_kg_m3"] > 900
PY
run 0 "$work/out" "$work/err" flash "$EXAMPLES/n-pentane.json" --temperature-C 37.78 --vapour-fraction 0
contains "$work/out" "n-pentane flashed at 37.78"
