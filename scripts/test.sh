#!/usr/bin/env bash
# Builds everything and runs every test: the normal build, the sanitizer build
# (AddressSanitizer + UndefinedBehaviorSanitizer) and a short run of each fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)
bash scripts/check-format.sh
bash scripts/check-floor-plan.sh
export VAREK_NONINTERACTIVE=1 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
# Tests open real windows: they run against a virtual X display.
xrun() { xvfb-run -a -s "-screen 0 1024x768x24" "$@"; }
passed=0
failed=0
# Each phase says when it starts, so a slow CI run shows where its time went.
phase() { echo "== $1 (at ${SECONDS} s)"; }
# runtests DIR TIMEOUT [CTEST OPTIONS]: ctest in one build folder; its counts add to the totals.
runtests() {
  local out rc total bad dir=$1 timeout=$2
  shift 2
  out=$(mktemp)
  set +e
  (cd "$dir" && xrun ctest --output-on-failure -j "$jobs" --timeout "$timeout" "$@") 2>&1 | tee "$out"
  rc=${PIPESTATUS[0]}
  set -e
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$out" | tail -n 1)
  bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$out" | tail -n 1)
  rm -f "$out"
  passed=$((passed + ${total:-0} - ${bad:-0}))
  failed=$((failed + ${bad:-0}))
  if [ "$rc" -ne 0 ]; then
    echo "$passed passed, $failed failed"
    exit "$rc"
  fi
}

phase "normal build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
runtests build 600

phase "sanitizer build (ASan + UBSan)"
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVAREK_SANITIZE=ON -DVAREK_BENCH=OFF
runtests build-asan 900

phase "thread tests under ThreadSanitizer"
if [ ! -f build-tsan/CMakeCache.txt ]; then
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVAREK_TSAN=ON -DVAREK_BENCH=OFF
fi
cmake --build build-tsan -j "$jobs" --target varek_thread_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
runtests build-tsan 600 -L thread --no-tests=error

phase "fuzzers (libFuzzer, a few seconds each)"
if [ ! -f build-fuzz/CMakeCache.txt ]; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVAREK_FUZZ=ON \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
fi
cmake --build build-fuzz -j "$jobs" --target fuzz_all
# Each fuzzer keeps one core for its 5 s: they run side by side, one per core,
# and their endings are shown in a fixed order once all have run.
fuzzlogs=$(mktemp -d)
runfuzzer() {
  local f=$1 name work
  name=$(basename "$f")
  work=$(mktemp -d)
  if [ -d "fuzz/corpus/$name" ]; then cp -r "fuzz/corpus/$name/." "$work/"; fi
  set +e
  "$f" -max_total_time=5 -rss_limit_mb=4096 -print_final_stats=0 "$work" >"$fuzzlogs/$name.log" 2>&1
  echo $? >"$fuzzlogs/$name.rc"
  set -e
  rm -rf "$work"
}
fuzzers=()
for f in build-fuzz/fuzz/*/fuzz_* build-fuzz/fuzz/fuzz_*; do
  [ -x "$f" ] && [ -f "$f" ] || continue
  fuzzers+=("$f")
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  runfuzzer "$f" &
done
wait
ran=0
found=()
for f in "${fuzzers[@]}"; do
  name=$(basename "$f")
  echo "-- $name"
  tail -n 3 "$fuzzlogs/$name.log"
  [ "$(cat "$fuzzlogs/$name.rc")" = 0 ] || found+=("$name")
  ran=$((ran + 1))
done
rm -rf "$fuzzlogs"
echo "fuzzers run: $ran"
if [ ${#found[@]} -ne 0 ]; then
  echo "fuzzers that failed: ${found[*]}"
  echo "$passed passed, $failed failed"
  exit 1
fi
phase "done"
echo "$passed passed, $failed failed"
