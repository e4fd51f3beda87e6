#!/usr/bin/env bash
# Load and search times of the biggest DTC table the desktop updater ships; $1 is the benchmark build folder.
set -euo pipefail
"$1/bench/dtc/dtc_bench" "$1/dist/KorvoUpdate/Resources"
