#!/usr/bin/env bash
# Runs every area's benchmark script with the benchmark build folder.
set -euo pipefail
build=$(realpath "${1:-build-bench}")
cd "$(dirname "$0")"
for script in */run.sh; do
    [ -x "$script" ] || continue
    echo "== ${script%/run.sh}"
    "./$script" "$build"
done
