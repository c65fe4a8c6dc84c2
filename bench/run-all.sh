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
# HandBrake, side by side with today's formats (Debian's handbrake-cli).
if ! command -v HandBrakeCLI >/dev/null; then
    ${SUDO:-$( [ "$(id -u)" = 0 ] || echo sudo )} env DEBIAN_FRONTEND=noninteractive apt-get install -y -q handbrake-cli >/dev/null ||
        echo "handbrake-cli could not be installed"
fi
./bench_handbrake
