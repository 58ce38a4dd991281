# Shared by the end-to-end tests of the volacor binary. Each test is a script run by
# CTest with VOLACOR (the binary), EXAMPLES (the examples folder) and PYTHON set; it
# stops at the first failed check and says what it expected.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Every test gets an empty registry of its own unless it registers the library itself.
export COMRT_REGISTRY="$work/registry"

fail() { echo "FAILED: $*" >&2; exit 1; }

# run EXPECTED_STATUS OUT ERR ARGS...: runs volacor, output to the two files.
run() {
    local expected=$1 out=$2 err=$3
    shift 3
    local status=0
    "$VOLACOR" "$@" >"$out" 2>"$err" || status=$?
    [ "$status" -eq "$expected" ] || { cat "$err" >&2; fail "volacor $* exited $status, expected $expected"; }
}

contains() { grep -qF -- "$2" "$1" || { cat "$1" >&2; fail "$1 lacks: $2"; }; }
lacks() { if grep -qF -- "$2" "$1"; then cat "$1" >&2; fail "$1 should not contain: $2"; fi; }
