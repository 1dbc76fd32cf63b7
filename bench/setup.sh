# Sourced by the benchmarks: the program to measure ($flingdial, from the
# build folder given as $1, default build), a scratch folder ($work) removed
# on exit, private settings, and no display.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
flingdial="$build/flingdial"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" DBUS_SESSION_BUS_ADDRESS=disabled:
unset DISPLAY WAYLAND_DISPLAY
