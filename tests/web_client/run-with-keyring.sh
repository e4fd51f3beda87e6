#!/bin/sh
# Runs a command in a private D-Bus session with a keyring daemon of its own: a fresh home folder, and a login
# keyring created unlocked with an empty password, so nothing prompts and the user's own keyring is never touched.
set -e
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT INT TERM
mkdir -p "$home/run" && chmod 700 "$home/run"
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run"
dbus-run-session -- sh -c 'printf 'korvo-test' | gnome-keyring-daemon --unlock --components=secrets >/dev/null && exec "$@"' \
    keyring "$@"
