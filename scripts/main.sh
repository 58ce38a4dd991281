#!/usr/bin/env bash
# The main job: builds Volacor's command, registers the library in a registry under
# build/ (as a host's installer would), and prints the RVP of the bundled summer
# gasoline by all nine methods.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target volacor_cli comrt_tool >/dev/null
export COMRT_REGISTRY="$PWD/build/registry"
build/bin/comrt register build/lib/libvolacor.so >/dev/null
exec build/bin/volacor rvp examples/summer-gasoline.json
