#!/usr/bin/env bash
# Fails when a C or C++ file of the project differs from .clang-format's layout.
set -euo pipefail
cd "$(dirname "$0")/.."
# clang-format's start-up costs more than formatting a file: each run checks a
# batch, and only a batch that fails is checked again file by file to name them.
bad=$(git ls-files -z '*.cpp' '*.h' '*.c' |
  xargs -0 -n 100 -P "$(nproc)" sh -c '
    clang-format --dry-run -Werror "$@" >/dev/null 2>&1 && exit 0
    for f; do clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || echo "$f"; done' sh)
if [ -n "$bad" ]; then
  echo "Not formatted (run clang-format -i on them):"
  echo "$bad" | sed 's/^/  /'
  exit 1
fi
echo "formatting: ok"
