#!/usr/bin/env bash
# The installed copy: `cmake --install` into a fresh prefix, then run from there with
# nothing of the build folder on any path (no LD_LIBRARY_PATH, no RUNPATH into it, no
# file loaded from it, the build folder not the working directory).
source "$(dirname "$0")/common.sh"
prefix="$work/prefix"
cmake --install "$BUILD_DIR" --prefix "$prefix" >/dev/null
for f in "$prefix"/bin/* "$prefix"/lib/*.so; do
    if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qF "$BUILD_DIR"; then fail "$f points into the build folder"; fi
done
readelf -d "$prefix/bin/volacor" | grep -qF 'RUNPATH' || fail "volacor has no RUNPATH"
readelf -d "$prefix/bin/volacor" | grep -qF '[$ORIGIN/../lib]' || fail "volacor's RUNPATH is not \$ORIGIN/../lib"

cd "$work"
run_installed() {
    env -u LD_LIBRARY_PATH LD_DEBUG=files LD_DEBUG_OUTPUT="$work/ld" "$prefix/bin/volacor" "$@"
}
run_installed rvp --verbose --format json "$prefix/share/volacor/examples/n-pentane.json" >"$work/out" 2>"$work/err" ||
    { cat "$work/err" >&2; fail "the installed volacor failed"; }
contains "$work/err" "from the library $prefix/lib/libvolacor.so"
if grep -lF "$BUILD_DIR" "$work"/ld.* >/dev/null 2>&1; then
    grep -hF "$BUILD_DIR" "$work"/ld.* | head >&2
    fail "the installed copy loaded files from the build folder"
fi
grep -hF "libapi5b11companion.so" "$work"/ld.* | grep -qF "$prefix/bin/" ||
    fail "the companion was not loaded from beside the installed executable"
"$PYTHON" - "$work/out" <<'PY' || fail "the installed copy gives no RVP for n-pentane"
import json, sys
m = {x["short_name"]: x for x in json.load(open(sys.argv[1]))[0]["methods"]}
assert abs(m["d6377-16"]["rvp"]["FEED"] - 107.4) < 1.1 and m["api-5b1.1"]["rvp"]["FEED"] is not None
PY
# Registered from the prefix, it is found through the registry.
env -u LD_LIBRARY_PATH "$prefix/bin/comrt" register "$prefix/lib/libvolacor.so" >/dev/null
run_installed batch --jobs 2 --no-progress --verbose "$prefix/share/volacor/examples/samples.csv" >"$work/out" 2>"$work/err" ||
    { cat "$work/err" >&2; fail "the installed batch failed"; }
contains "$work/err" "through the registry"
[ "$(wc -l <"$work/out")" -ge 5 ] || fail "the installed batch gave too few lines"
