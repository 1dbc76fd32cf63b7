#!/usr/bin/env bash
# Runs every fuzz target for SECONDS on a copy of its seed corpus (the seeds
# in the repository stay as they are). A finding stops the run with the
# target's report and leaves the input in BUILD/fuzz-findings/.
# Usage: fuzz/run.sh BUILD SECONDS
set -euo pipefail
build=$(cd "${1:?usage: run.sh BUILD SECONDS}" && pwd)
seconds=${2:?usage: run.sh BUILD SECONDS}
here=$(cd "$(dirname "$0")" && pwd)
findings="$build/fuzz-findings"
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" TMPDIR="$work"
# Leaks in Qt's and fontconfig's caches are not findings.
export ASAN_OPTIONS=detect_leaks=0

for seeds in "$here"/corpus/*/; do
  target=$(basename "$seeds")
  cp -r "$seeds" "$work/$target"
  echo "fuzz_$target: $seconds s"
  "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -artifact_prefix="$findings/$target-" -print_final_stats=1 \
    "$work/$target" 2> "$work/$target.log" || {
    tail -50 "$work/$target.log"
    echo "fuzz_$target found a fault; the input is in $findings/"
    exit 1
  }
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/$target.log" | tr '\n' ' '
  echo
done
