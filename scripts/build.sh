#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configure (once) and build one flavour.
set -euo pipefail
dir=$1; shift
jobs=$(nproc)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja "$@"
fi
cmake --build "$dir" -j "$jobs"
