#!/usr/bin/env bash
# Keeps the floor plan: which code may include which. Run from anywhere; an optional
# argument names another source tree to check (the tests feed it one with a fault).
#
#   - LIBS/, platform/ and launcher/ never include GAMES/: the launcher links only them.
#   - The game's subsystem folders (and the engine files at GAMES/Rulo2) include of app/
#     only the shared shell headers: AppGlobals.h, Settings.h, GameState.h, ShowKeys.h,
#     GameClock.h, the game's sound manager (CGameSoundManager.h) that objects,
#     characters and screens play their sounds through, the views (CameraViews.h) the
#     editor's windows follow, the saved games and plans (SaveGame.h) the screens list,
#     the screens' render table (ScreenHooks.h) the interface fills, the CD music
#     (CCdAudio.h) the options and results screens set and stop, and the gang's value drift
#     (GangValues.h) that a successful burglary's results screen applies.
#   - Only the shell (app/, Rulo2.*, program/) includes the application object (Rulo2.h),
#     the main window (app/CMainWindow.h) and the wiring (app/InstallApp.h).
#   - GetDisplayText is declared only where it is defined, in interface/.
#   - Naming: a subsystem's loose globals are declared in its globals header
#     (world/WorldGlobals.h, render/RenderGlobals.h, app/AppGlobals.h ...); the one
#     instance of a class may stand beside its class (checked for render/). A table of
#     hooks is a struct whose name ends in Hooks, with one instance `<Name>Hooks`
#     without prefix; a slot is a function pointer named after what it does.
set -uo pipefail
shopt -s lastpipe
root=${1:-"$(dirname "$0")/.."}
cd "$root" || exit 2
game=GAMES/Rulo2
failed=0

# report RULE: the offending "file:line:text" lines on stdin, if any.
report() {
  local lines
  lines=$(cat)
  if [ -n "$lines" ]; then
    echo "floor plan: $1"
    echo "$lines" | sed 's/^/  /'
    failed=1
  fi
}

sources() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) 2>/dev/null | sort; }

includes() { # includes FILES...: every #include "..." line with file and line number
  [ $# -gt 0 ] || return 0
  grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$@" || true
}

sources LIBS platform launcher | xargs -r grep -Hn '^[[:space:]]*#[[:space:]]*include[[:space:]]*"GAMES/' |
  report "LIBS/, platform/ and launcher/ must not include the game"

mapfile -t engine < <(sources "$game" | grep -v -e "^$game/app/" -e "^$game/program/" -e "^$game/Rulo2\.")
shared='(AppGlobals|Settings|GameState|ShowKeys|GameClock|CGameSoundManager|CameraViews|SaveGame|ScreenHooks|CCdAudio|GangValues)\.h"'
includes "${engine[@]}" | grep "\"$game/app/" | grep -Ev "\"$game/app/$shared" |
  report "outside the shell only the shared shell headers of app/ may be included"
includes "${engine[@]}" | grep -E "\"$game/(Rulo2\.h|app/CMainWindow\.h|app/InstallApp\.h)\"" |
  report "only the shell includes the application object, the main window and the wiring"

sources "$game" | grep '\.h$' | grep -v "^$game/interface/" |
  xargs -r grep -Hn '^[^/]*\bGetDisplayText[[:space:]]*(' |
  report "GetDisplayText is declared in interface/ only"

# Hook tables: the one instance is named <Name>Hooks, without prefix.
sources "$game" | grep '\.h$' |
  xargs -r grep -HnE '^[[:space:]]*extern[[:space:]]+[A-Za-z0-9_]*Hooks[[:space:]]+[A-Za-z0-9_]+;' |
  grep -vE "extern[[:space:]]+[A-Za-z0-9_]*Hooks[[:space:]]+[A-Z][A-Za-z0-9]*Hooks;" |
  report "a hook table's one instance is named <Name>Hooks, without prefix"

# The render engine's loose globals sit in its globals header; a class's single
# instance may stand beside its class.
for h in $(sources "$game/render" | grep '\.h$' | grep -v '/RenderGlobals\.h$'); do
  grep -HnE '^extern[[:space:]]+[A-Za-z_][A-Za-z0-9_:<>*, ]*[[:space:]*]+[A-Za-z_][A-Za-z0-9_]*(\[[^]]*\])*;' "$h" |
    while IFS= read -r line; do
      type=$(echo "$line" | sed -E 's/^[^:]*:[0-9]+:extern[[:space:]]+(const[[:space:]]+)?([A-Za-z_][A-Za-z0-9_]*).*/\2/')
      grep -qE "^(class|struct)[[:space:]]+$type\b[^;]*$" "$h" || echo "$line"
    done
done | report "render's globals are declared in render/RenderGlobals.h"

if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "floor plan: ok"
