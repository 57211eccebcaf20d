#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz": clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each from the committed seed corpus
# with a fixed seed.
#   scripts/fuzz.sh [seconds per target]      default 30 (the test run's share)
# Long runs: scripts/fuzz.sh 600 (ten minutes per target). ZOLT_FUZZ_BUILD_DIR
# chooses the build folder (default build/fuzz). Inputs the fuzzer finds go
# to a temporary folder, so the committed corpus stays as it is; a crash
# leaves its input as crash-* in the current folder and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build="${ZOLT_FUZZ_BUILD_DIR:-build/fuzz}"

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target profile_fuzz table_search_fuzz table_reader_fuzz -- -j2

# The table search target rebuilds the tables it cannot trust in a folder
# of its own: on a memory file system its flushes cost nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Each target, the folder it is built in and its seed corpus.
for entry in profile/fuzz:profile_fuzz:profile/fuzz/corpus \
    fuzz:table_search_fuzz:fuzz/corpus/table_search \
    fuzz:table_reader_fuzz:fuzz/corpus/table_reader; do
  IFS=: read -r dir target corpus <<<"$entry"
  mkdir -p "$work/$target"
  echo "=== $target: ${seconds} s, seed 1"
  status=0
  "$build/$dir/$target" -seed=1 -max_total_time="$seconds" -max_len=20000 \
    -print_final_stats=1 "$work/$target" "$corpus" >"$work/$target.log" 2>&1 ||
    status=$?
  # libFuzzer's progress lines stay in the log; the summary and any failure
  # are shown.
  grep -E '^(#[0-9]+ +(INITED|DONE)|stat::|==[0-9]+==|SUMMARY|[a-z_]+_fuzz:|artifact_prefix|Test unit written)' \
    "$work/$target.log" || true
  if [ "$status" -ne 0 ]; then
    echo "=== $target failed (exit $status)"
    exit "$status"
  fi
done
echo "=== fuzzing found nothing"
