#!/usr/bin/env bash
# Builds and runs every benchmark; the figures go to standard output.
set -euo pipefail
build="${1:-build}"
cd "$build/bench"
./bench_probe
./bench_convert
./bench_window_add
./bench_jobs
./bench_measure
./bench_capture
./bench_download
./bench_adding
