#!/usr/bin/env bash
# Lists what a build folder provides: the platform files and their exported entries.
set -euo pipefail
dir=${1:-build}
echo "Volacor build in $dir:"
for f in lib/libvolacor.so lib/libcomrt.so lib/libvarhost2.so bin/libapi5b11companion.so bin/comrt bin/volacor; do
  if [ -e "$dir/$f" ]; then
    echo "  $f"
    case "$f" in
      *.so) nm -D --defined-only "$dir/$f" | awk '$2=="T"{print "      " $3}' | grep -E '^ *(Dll|Co|Sys|pc_)' || true ;;
    esac
  else
    echo "  $f (not in this build)"
  fi
done
