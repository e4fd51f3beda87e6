#!/usr/bin/env bash
# Flash throughput and idle CPU against the simulated scan tool; $1 is the benchmark build folder.
set -euo pipefail
"$1/bench/flash/flash_bench" "$1/tools/scantool-sim/scantool-sim"
