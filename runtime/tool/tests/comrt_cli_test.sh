#!/usr/bin/env bash
# The comrt tool as a user runs it: exit statuses, standard output and the registry file.
# Arguments: the comrt executable, the component library, a library without the entry
# points (the runtime itself).
set -u
comrt=$(realpath "$1") library=$(realpath "$2") plain=$(realpath "$3")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export COMRT_REGISTRY=$work/registry
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# expect STATUS EXPECTED-STDOUT -- command...: runs comrt, checks status and stdout.
expect() {
  local status=$1 output=$2; shift 3
  local got rc
  got=$("$comrt" "$@" 2>"$work/stderr"); rc=$?
  [[ $rc == "$status" ]] || fail "comrt $* exited $rc, not $status ($(cat "$work/stderr"))"
  [[ $got == "$output" ]] || fail "comrt $* printed '$got', not '$output'"
}

# --help on every command.
for command in "" register unregister reg "reg get" "reg set" "reg delete" "reg export" typelib; do
  # shellcheck disable=SC2086
  out=$("$comrt" $command --help) || fail "comrt $command --help failed"
  [[ $out == *Usage* ]] || fail "comrt $command --help printed no usage"
done

# Usage errors.
expect 2 "" -- reg get
expect 2 "" -- frobnicate
expect 2 "" -- reg get 'CLSID\{A}'
expect 2 "" -- reg delete HKCR

# A fresh (empty) file, and a relative library path made absolute.
: >"$COMRT_REGISTRY"
library_dir=$(dirname "$library")
absolute=$(cd "$library_dir" && pwd -P)/$(basename "$library")
(cd "$library_dir/.." && "$comrt" register "$(basename "$library_dir")/$(basename "$library")") || fail "register failed"
expect 0 "Volacor.ASTM_D6377_16.1" -- reg get 'HKCR\Volacor.ASTM_D6377_16\CurVer'
expect 0 "ASTM_D6377_16 Class" -- reg get 'HKCR\CLSID\{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}'
expect 0 "$absolute" -- reg get 'HKCR\CLSID\{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}\InprocServer32'
expect 0 "Apartment" -- reg get 'HKCR\CLSID\{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}\InprocServer32' ThreadingModel
expect 0 "Apartment" -- reg get 'hkcr\clsid\{383a842d-252e-4ae7-a8a6-bb1da6fafe2d}\inprocserver32' threadingmodel
expect 0 "" -- reg get 'HKCR\CLSID\{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}\Programmable'
expect 1 "" -- reg get 'HKCR\CLSID\{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}\InprocServer32' Missing
expect 1 "" -- reg get 'HKCR\Volacor.Missing'
cp "$COMRT_REGISTRY" "$work/once"
"$comrt" register "$library" || fail "second register failed"
cmp -s "$COMRT_REGISTRY" "$work/once" || fail "registering twice changed the registry"
expect 0 "$(printf 'comrt registry 1\n[HKCR]\n[HKCR\\Volacor.ASTM_D6377_16]\n@ = "ASTM_D6377_16 Class"\n[HKCR\\Volacor.ASTM_D6377_16\\CLSID]\n@ = "{383A842D-252E-4AE7-A8A6-BB1DA6FAFE2D}"\n[HKCR\\Volacor.ASTM_D6377_16\\CurVer]\n@ = "Volacor.ASTM_D6377_16.1"\nend')" \
  -- reg export 'HKCR\Volacor.ASTM_D6377_16'

"$comrt" unregister "$library" || fail "unregister failed"
expect 0 "" -- reg get 'HKCR\CLSID'
for n in API_5B1_1 API_5B1_2 ASTM_D323_73_79 ASTM_D323_82 ASTM_D4953_91 ASTM_D5191_91 ASTM_D6377_16 Orvan_API ModifiedASTM; do
  expect 1 "" -- reg get "HKCR\\Volacor.$n"
  expect 1 "" -- reg get "HKCR\\Volacor.$n.1"
done
[[ $("$comrt" reg export 'HKCR\CLSID') == $'comrt registry 1\n[HKCR]\n[HKCR\\CLSID]\nend' ]] || fail "class keys remain"

# set, get, delete, export.
expect 0 "" -- reg set 'HKCU\Software\Test' 'default data'
expect 0 "" -- reg set 'HKCU\Software\Test' Name 'named "data"'
expect 0 "default data" -- reg get 'HKCU\Software\Test'
expect 0 'named "data"' -- reg get 'HKCU\Software\Test' NAME
expect 0 "$(printf 'comrt registry 1\n[HKCU]\n[HKCU\\Software]\n[HKCU\\Software\\Test]\n@ = "default data"\n"Name" = "named \\"data\\""\nend')" \
  -- reg export 'HKCU\Software\Test'
expect 0 "" -- reg delete 'HKCU\Software'
expect 1 "" -- reg get 'HKCU\Software\Test'
expect 1 "" -- reg delete 'HKCU\Software'
expect 1 "" -- reg export 'HKCU\Software'

# A corrupt registry: a clear error naming file and line, status 3, the file untouched.
printf 'comrt registry 1\n[HKCR\\A]\n@ = "cut' >"$COMRT_REGISTRY"
cp "$COMRT_REGISTRY" "$work/corrupt"
for command in "reg get HKCR\\A" "reg set HKCR\\B x" "reg delete HKCR\\A" "reg export" "register $library" "unregister $library"; do
  # shellcheck disable=SC2086
  out=$("$comrt" $command 2>"$work/stderr"); rc=$?
  [[ $rc == 3 ]] || fail "comrt $command on a corrupt registry exited $rc, not 3"
  [[ -z $out ]] || fail "comrt $command on a corrupt registry printed '$out'"
  grep -q "$COMRT_REGISTRY, line 3" "$work/stderr" || fail "comrt $command did not name file and line: $(cat "$work/stderr")"
  cmp -s "$COMRT_REGISTRY" "$work/corrupt" || fail "comrt $command changed a corrupt registry"
done
rm -f "$COMRT_REGISTRY"

# Libraries that cannot serve.
expect 5 "" -- register "$work/missing.so"
expect 5 "" -- register "$plain"
expect 7 "" -- typelib "$plain"

# The type library: its line, the import and eighteen descriptions.
typelib=$("$comrt" typelib "$library") || fail "typelib failed"
[[ $(grep -c '^coclass ' <<<"$typelib") == 9 ]] || fail "typelib: not nine classes"
[[ $(grep -c '^interface .* flags=dual,oleautomation,dispatchable inherits=IDispatch$' <<<"$typelib") == 9 ]] ||
  fail "typelib: not nine dual interfaces"
grep -qx 'coclass ModifiedASTM {85E31F8C-B0E9-490A-99F9-2F7CCA42698E} help="ModifiedASTM Class" flags=canCreate implements=IModifiedASTM\[default\]' <<<"$typelib" ||
  fail "typelib: ModifiedASTM not described as given"

if ((failures)); then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "all comrt checks passed"
