#!/usr/bin/env bash
# A 12-megapixel JPEG to PNG, to WEBP and to a half-size JPEG: the built-in
# engine (flingdial --run, ImageMagick hidden) against ImageMagick with the
# same settings. Prints wall time and peak memory of each, side by side,
# and whether the engine is at least as fast with at most half the memory.
# Usage: bench/images.sh [build-dir]
. "$(dirname "$0")/setup.sh"
magick=$(command -v magick || command -v convert-im6.q16 || true)
[ -n "$magick" ] || { echo "ImageMagick is not installed: nothing to compare with"; exit 0; }

ffmpeg -v error -y -f lavfi -i testsrc2=size=4000x3000 -frames:v 1 -q:v 2 "$work/photo.jpg"


engine() { # MODE LABEL: through the program, with ImageMagick hidden
  cp "$work/photo.jpg" "$work/out/photo.jpg"
  FLINGDIAL_TOOL_DIRS="$work/none" "$flingdial" --run "$1" "$2" "$work/out/photo.jpg"
}
export -f engine
export flingdial work

printf '%-22s %18s %18s  %s\n' "12 MP JPEG" "built-in engine" "ImageMagick" "goal"
row() {
  local name=$1 mode=$2 label=$3; shift 3
  read -r ems emb < <(measure bash -c 'engine "$0" "$1"' "$mode" "$label")
  read -r ims imb < <(measure "$magick" "$work/photo.jpg[0]" -auto-orient "$@")
  # The goal: at least as fast, at most half the memory.
  local goal=met
  if [ "$ems" -gt "$ims" ] || [ $(( 2 * emb )) -gt "$imb" ]; then goal=missed; fi
  printf '%-22s %9s ms %5s MB %9s ms %5s MB  %s\n' "$name" "$ems" "$emb" "$ims" "$imb" "$goal"
}
row "to PNG" convert png "$work/out/photo.png"
row "to WEBP (quality 85)" convert webp -quality 85 "$work/out/photo.webp"
row "half size (JPEG)" tools "half size" -resize 2000x2000 "$work/out/photo-half.jpg"
