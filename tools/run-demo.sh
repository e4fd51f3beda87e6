#!/usr/bin/env bash
# Starts the simulated scan tool and flashes a demo package into it with the desktop updater's flasher.
set -euo pipefail
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT
"$build/tools/mkpackage/mkpackage" -o "$work/QM82_V1.20_EN_20240105.bin" --random-program 262144 \
    --random-data 200000 --logo-entry --seed 7 >/dev/null
"$build/tools/scantool-sim/scantool-sim" --dir "$work" --model QM82 --quiet --dump "$work/flashed" &
sim=$!
for _ in $(seq 50); do ls "$work"/usb-* >/dev/null 2>&1 && break; sleep 0.1; done
SCANTOOL_SERIAL_DIR="$work" "$build/tools/flashcli/flashcli" "$work/QM82_V1.20_EN_20240105.bin"
