#!/usr/bin/env bash
# Runs every fuzz target of a VARNEL_FUZZ build for a set time, each from its
# seed corpus (copied, so that the seeds stay as committed), and prints the
# number of runs. Exits 1 when any target found something; its input is kept.
set -uo pipefail
build=${1:?usage: run-fuzz.sh BUILD_DIR [SECONDS]}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=${target##*/fuzz_}
  mkdir -p "$work/$name" "$build/fuzz/findings/$name"
  cp -r "$here/corpus/$name/." "$work/$name/" 2>/dev/null
  log="$build/fuzz/$name.log"
  "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/fuzz/findings/$name/" \
    "$work/$name" >"$log" 2>&1
  rc=$?
  runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  if [ $rc -eq 0 ]; then
    echo "$name: ${runs:-?} runs in ${seconds} s, no finding"
  else
    echo "$name: FINDING after ${runs:-?} runs (exit $rc): see $log and $build/fuzz/findings/$name/"
    status=1
  fi
done
rm -rf "$work"
exit $status
