#!/bin/bash
# Starts the simulated scan tool and the pluvo update tool with the tool attached; ends the tool when the updater
# closes. Usage: tools/run-pluvo.sh [build folder] (default: build)
set -euo pipefail
build=${1:-build}
sim="$build/tools/scantool-sim/scantool-sim"
app="$build/dist/pluvo/pluvo"
for f in "$sim" "$app"; do
    [ -x "$f" ] || { echo "run-pluvo: $f is missing; build first (make build)" >&2; exit 2; }
done

devices=$(mktemp -d "${TMPDIR:-/tmp}/scantool-devices-XXXXXX")
"$sim" --dir "$devices" --quiet ${PLUVO_SIM_ARGS:-} &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -rf "$devices"' EXIT

# The tool is ready once its link is there.
for _ in $(seq 50); do
    compgen -G "$devices/usb-*" >/dev/null && break
    sleep 0.1
done
compgen -G "$devices/usb-*" >/dev/null || { echo "run-pluvo: the simulated tool did not start" >&2; exit 3; }

SCANTOOL_SERIAL_DIR="$devices" "$app"
