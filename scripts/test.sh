#!/usr/bin/env bash
# Runs every test pass in order and stops at the first one that fails:
#   1. normal build (build/) and its unit tests,
#   2. the unit tests again under AddressSanitizer and UBSan (build-asan/),
#   3. each libFuzzer target for a short while over a copy of its seeds (build-fuzz/).
# Ends with a summary whose last line reads "tests: N passed, N failed".
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

FUZZ_SECONDS=${KOLVARO_FUZZ_SECONDS:-30}
SANITIZER_ENV=(
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
)
# Tests that need Qt must not look for a screen.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

work=$(mktemp -d -t kolvaro-test.XXXXXX)
trap 'rm -rf "$work"' EXIT

results=()
passed=0
failed=0
last_rc=0

summary() {
  kv_log "summary"
  local line
  for line in "${results[@]}"; do echo "  $line"; done
  for line in "$@"; do echo "  not run  $line"; done
  echo "tests: $passed passed, $failed failed"
}

# run_pass [--step] NAME COMMAND...: runs the command in a subshell with errexit on and records
# the outcome in last_rc. Never call it as a condition (cmd || ...): bash then ignores errexit in
# everything it runs, and a failed build would go on to the tests. A --step is no test of its own:
# it counts only when it fails.
run_pass() {
  local step=0
  [[ $1 == --step ]] && { step=1; shift; }
  local name=$1 start=$SECONDS rc
  shift
  kv_log "$name"
  set +e
  (set -e; "$@")
  rc=$?
  set -e
  local took=$((SECONDS - start))
  if ((rc == 0 && step)); then
    results+=("done     $name (${took} s)")
  elif ((rc == 0)); then
    passed=$((passed + 1))
    results+=("passed   $name (${took} s)")
  else
    failed=$((failed + 1))
    results+=("FAILED   $name (${took} s, exit $rc)")
  fi
  last_rc=$rc
}

# stop_if_failed [NOT-RUN...]: after a failed pass, prints the summary and ends the run.
stop_if_failed() {
  ((last_rc == 0)) && return 0
  summary "$@"
  exit 1
}

# Every pass treats warnings as errors. start.sh leaves the option as build/ has it, so start and
# test share that folder without rebuilding it.
WERROR=(-DKOLVARO_WERROR=ON)

ctest_in() {
  ctest --test-dir "$KV_ROOT/$1" --output-on-failure -j "$KV_JOBS" --no-tests=error --timeout 600
}

main_pass() {
  kv_configure build g++ "${KV_MAIN_OPTIONS[@]}" "${WERROR[@]}"
  kv_build build
  ctest_in build
}

asan_pass() {
  # The test binaries run during the build to list their tests, so the options apply there too.
  export "${SANITIZER_ENV[@]}"
  kv_configure build-asan g++ "${KV_ASAN_OPTIONS[@]}" "${WERROR[@]}"
  # Only what ctest runs: the test binaries with what they link, and the command-line tool.
  kv_build build-asan tests/all kolvaro-cli
  ctest_in build-asan
}

fuzz_build() {
  kv_configure build-fuzz clang++ "${KV_FUZZ_OPTIONS[@]}" "${WERROR[@]}"
  kv_build build-fuzz
}

# fuzz_one NAME: runs build-fuzz/fuzz/NAME over a scratch copy of fuzz/corpus/<NAME without fuzz_>/,
# so the committed seeds stay as they are. Crash inputs go to build-fuzz/artifacts/NAME/.
fuzz_one() {
  local name=$1
  local bin=$KV_ROOT/build-fuzz/fuzz/$name
  local seeds=$KV_ROOT/fuzz/corpus/${name#fuzz_}
  local scratch=$work/$name
  local artifacts=$KV_ROOT/build-fuzz/artifacts/$name
  local log=$KV_ROOT/build-fuzz/logs/$name.log
  [[ -x $bin ]] || { kv_err "$bin was not built"; return 1; }
  # Crash files of an earlier run would only confuse: start with an empty folder.
  rm -rf "$artifacts"
  mkdir -p "$scratch/corpus" "$artifacts" "${log%/*}"
  if [[ -d $seeds ]]; then
    cp -R "$seeds/." "$scratch/corpus/"
  else
    echo "warning: no seed folder ${seeds#"$KV_ROOT"/}; starting from an empty corpus"
  fi
  echo "$name: $(find "$scratch/corpus" -type f | wc -l) seeds, ${FUZZ_SECONDS} s; log in ${log#"$KV_ROOT"/}"
  local rc=0
  (cd "$scratch" && env "${SANITIZER_ENV[@]}" "$bin" -max_total_time="$FUZZ_SECONDS" -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$artifacts/" corpus) >"$log" 2>&1 || rc=$?
  if ((rc != 0)); then
    tail -n 80 "$log"
    kv_err "$name failed (exit $rc); inputs that broke it are in ${artifacts#"$KV_ROOT"/}/"
    kv_err "replay one with: build-fuzz/fuzz/$name ${artifacts#"$KV_ROOT"/}/<file>"
    return "$rc"
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
}

kv_log "packages"
if ! kv_install_deps; then
  failed=1
  results+=("FAILED   installing packages")
  summary "ctest build/" "ctest build-asan/" "fuzzers"
  exit 1
fi

run_pass "ctest build/" main_pass
stop_if_failed "ctest build-asan/" "fuzzers"
run_pass "ctest build-asan/ (AddressSanitizer, UBSan)" asan_pass
stop_if_failed "fuzzers"

# The fuzzers are whatever fuzz/fuzz_*.cpp defines; a stale binary of a removed source does not count.
fuzzers=()
shopt -s nullglob
for src in "$KV_ROOT"/fuzz/fuzz_*.cpp; do
  fuzzers+=("$(basename "$src" .cpp)")
done
shopt -u nullglob
if ((${#fuzzers[@]} == 0)); then
  echo "no fuzz targets in fuzz/"
else
  run_pass --step "build build-fuzz/ (clang, libFuzzer)" fuzz_build
  stop_if_failed "${fuzzers[@]}"
  for i in "${!fuzzers[@]}"; do
    run_pass "${fuzzers[$i]}" fuzz_one "${fuzzers[$i]}"
    stop_if_failed "${fuzzers[@]:i+1}"
  done
fi

summary
