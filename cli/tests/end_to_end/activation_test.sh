#!/usr/bin/env bash
# Activation as a host does it: from the library beside the executable while nothing is
# registered, through the registry by programmatic id once the library is registered.
source "$(dirname "$0")/common.sh"
run 0 "$work/out" "$work/err" rvp --verbose -m d6377-16 "$EXAMPLES/n-pentane.json"
contains "$work/err" "from the library $(dirname "$(dirname "$VOLACOR")")/lib/libvolacor.so without registration"
run 0 "$work/methods" "$work/err" methods
[ "$(grep -c ' no$' "$work/methods")" -eq 9 ] || fail "nine unregistered methods expected"

"$COMRT" register "$LIBRARY" >/dev/null
run 0 "$work/out" "$work/err" rvp --verbose -m d6377-16 "$EXAMPLES/n-pentane.json"
contains "$work/err" "through the registry $COMRT_REGISTRY"
run 0 "$work/methods" "$work/err" methods --format json
"$PYTHON" - "$work/methods" <<'PY' || fail "methods does not see the registration"
import json, sys
doc = json.load(open(sys.argv[1]))
assert len(doc["methods"]) == 9 and all(m["registered"] for m in doc["methods"]), doc
assert len({m["short_name"] for m in doc["methods"]}) == 9
PY
"$COMRT" unregister "$LIBRARY" >/dev/null
run 0 "$work/out" "$work/err" rvp --verbose -m d6377-16 "$EXAMPLES/n-pentane.json"
contains "$work/err" "without registration"
