#!/usr/bin/env bash
# The main job: builds Volacor and runs it on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
exec scripts/show-build.sh build
