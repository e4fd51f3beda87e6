#!/bin/bash
# Starts the simulated scan tool and one of the updaters with the tool attached; ends the tool when the updater
# closes. Usage: tools/run-with-tool.sh desktop|pluvo [build folder] (default: build). SIM_ARGS passes further
# options to the simulated tool.
set -euo pipefail
case "${1:-}" in
    desktop) program=KorvoUpdate/KorvoUpdate ;;
    pluvo) program=pluvo/pluvo ;;
    *) echo "usage: $0 desktop|pluvo [build folder]" >&2; exit 2 ;;
esac
build=${2:-build}
sim="$build/tools/scantool-sim/scantool-sim"
app="$build/dist/$program"
for f in "$sim" "$app"; do
    [ -x "$f" ] || { echo "run-with-tool: $f is missing; build first (make build)" >&2; exit 2; }
done

devices=$(mktemp -d "${TMPDIR:-/tmp}/scantool-devices-XXXXXX")
"$sim" --dir "$devices" --quiet ${SIM_ARGS:-} &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -rf "$devices"' EXIT

# The tool is ready once its link is there.
for _ in $(seq 50); do
    compgen -G "$devices/usb-*" >/dev/null && break
    sleep 0.1
done
compgen -G "$devices/usb-*" >/dev/null || { echo "run-with-tool: the simulated tool did not start" >&2; exit 3; }

SCANTOOL_SERIAL_DIR="$devices" "$app"
