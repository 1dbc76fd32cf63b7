#!/usr/bin/env bash
# Runs the whole suite under a real X server (Xvfb) and a private D-Bus
# session bus, so window, X11 and D-Bus tests run for real.
set -euo pipefail
# Arguments after the build folder go to ctest.
build_dir=${1:-build}
shift || true
# Sanitizer builds stop at the first finding. Qt, GLib and fontconfig keep
# caches for the life of the process, which the leak checker would report.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec xvfb-run -a -s "-screen 0 1920x1080x24" \
    dbus-run-session -- ctest --test-dir "$build_dir" --output-on-failure -j2 "$@"
