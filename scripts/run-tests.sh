#!/usr/bin/env bash
# Runs the whole suite under a real X server (Xvfb) and a private D-Bus
# session bus, so window, X11 and D-Bus tests run for real.
set -euo pipefail
build_dir=${1:-build}
exec xvfb-run -a -s "-screen 0 1920x1080x24" \
    dbus-run-session -- ctest --test-dir "$build_dir" --output-on-failure -j2
