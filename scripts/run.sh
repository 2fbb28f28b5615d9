#!/usr/bin/env bash
# Builds the game, makes its sample installation and starts it in a window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ ! -x build/GAMES/Rulo2/Varek ]; then
  echo "Built everything; the game program Varek is not part of the build yet."
  exit 0
fi
# The build writes the sample installation to build/sample; the program
# reads its resources from its own folder, so it runs from there too.
sample=build/sample
if [ ! -f "$sample/Varek.wld" ] && [ -x build/tools/make-sample-data/make-sample-data ]; then
  build/tools/make-sample-data/make-sample-data "$sample"
fi
cp build/GAMES/Rulo2/Varek "$sample/Varek"
cd "$sample"
if [ "${1:-}" = "--editor" ]; then
  shift
  cp ../GAMES/Rulo2/VarekEdit ./VarekEdit
  exec ./VarekEdit -window "$@" Varek.wld
fi
exec ./Varek -window "$@"
