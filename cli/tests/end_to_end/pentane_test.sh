#!/usr/bin/env bash
# Pure n-pentane: the single-component methods return its vapour pressure at 37.78 °C,
# 107.4 kPa (NIST Chemistry WebBook, Antoine fit of n-pentane), within 1 %.
source "$(dirname "$0")/common.sh"
run 0 "$work/json" "$work/err" rvp --format json -m d323-73,d323-82,d4953-91,d5191-91,d6377-16 \
    "$EXAMPLES/n-pentane.json"
"$PYTHON" - "$work/json" <<'PY' || fail "n-pentane is not 107.4 kPa within 1 %"
import json, sys
methods = json.load(open(sys.argv[1]))[0]["methods"]
assert len(methods) == 5
for m in methods:
    v = m["rvp"]["FEED"]
    assert v is not None and abs(v - 107.4) <= 0.01 * 107.4, (m["short_name"], v)
    assert "Fluid has only one active component - returning TVP as RVP" in m["messages"], m
PY
