#!/bin/sh
# Runs each fuzz target for a bounded time on a copy of its committed corpus, so the corpus in
# the repository does not grow. Fails on the first target that finds a crash, leak or hang.
# Usage: run.sh BUILD_DIR SECONDS TARGET...
set -e
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
work="$build/fuzz-run"
# The targets write files on every input (and the profile writer syncs them to the disk): in
# memory that costs nothing.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$here/../sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for target in "$@"; do
  rm -rf "$work/$target"
  mkdir -p "$work/$target/artifacts"
  cp -r "$here/corpus/$target" "$work/$target/corpus"
  echo "fuzz: $target for ${seconds}s"
  if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/$target/artifacts/" "$work/$target/corpus" \
      >"$work/$target/log" 2>&1; then
    tail -n 60 "$work/$target/log"
    echo "fuzz: $target FAILED; the input is in $work/$target/artifacts/"
    exit 1
  fi
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+.*DONE)" "$work/$target/log" || true
done
echo "fuzz: all targets ran clean"
