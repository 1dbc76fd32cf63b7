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

# measure COMMAND… → "ms MB": the best wall time of three runs and the peak
# resident memory of that run; $work/out is emptied before each run.
measure() {
  local best_ms= best_kb=
  for _ in 1 2 3; do
    rm -rf "$work/out"; mkdir "$work/out"
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" > /dev/null 2>&1
    read -r seconds kb < "$work/time"
    local ms; ms=$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 1000 }')
    if [ -z "$best_ms" ] || [ "$ms" -lt "$best_ms" ]; then best_ms=$ms; best_kb=$kb; fi
  done
  echo "$best_ms $(( best_kb / 1024 ))"
}

# tree_peak COMMAND… → "ms MB": the wall time of one run and the largest sum
# of resident memory over the command and its children, sampled every 50 ms
# (/usr/bin/time sees one process only).
tree_peak() {
  local start peak=0 total pid
  start=$(date +%s%N)
  "$@" > /dev/null 2>&1 &
  pid=$!
  while kill -0 "$pid" 2> /dev/null; do
    # (ps fails once the command has ended between two looks)
    total=$({ ps -o rss= --ppid "$pid" -p "$pid" 2> /dev/null || true; } |
      awk '{ s += $1 } END { print s + 0 }')
    [ "$total" -gt "$peak" ] && peak=$total
    sleep 0.05
  done
  wait "$pid"
  echo "$(( ($(date +%s%N) - start) / 1000000 )) $(( peak / 1024 ))"
}
