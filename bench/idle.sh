#!/usr/bin/env bash
# The tray application's cost while nothing happens: the drag watcher polls
# 30 times a second. Prints the CPU share of one core over ten seconds.
# Usage: bench/idle.sh [build-dir]   (starts its own X server when needed)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a "$0" "$build"
fi
work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config" DBUS_SESSION_BUS_ADDRESS=disabled:
mkdir -p "$XDG_CONFIG_HOME/flingdial"
printf '[General]\nonboarded=true\n' > "$XDG_CONFIG_HOME/flingdial/flingdial.conf"
"$build/flingdial" 2> /dev/null &
pid=$!
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
sleep 2
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep 10
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" 'BEGIN {
  printf "idle for 10 s: %.2f s of CPU, %.2f %% of one core\n", t / hz, 100 * t / hz / 10
}'
