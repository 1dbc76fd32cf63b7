#!/usr/bin/env bash
# Compress to Size…: a 60-second 1080p clip to 10 MB, through `flingdial
# --run` and through a plain two-pass ffmpeg command with the same picture,
# preset and bitrates; a 12-megapixel photo of about 4 MB to 1 MB, through
# `flingdial --run` and through ImageMagick's `-define jpeg:extent`. Prints
# sizes and best-of-three times side by side, and whether the goals are met:
# the clip 9.0–10.0 MB, the photo 0.8–1.0 MB, each within 10 % of the
# peer's time.
# Usage: bench/compress-size.sh [build-dir]
. "$(dirname "$0")/setup.sh"
magick=$(command -v magick || command -v convert-im6.q16 || true)

ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=60 \
  -f lavfi -i sine=frequency=440:sample_rate=48000:duration=60 -ac 2 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$work/clip.mov"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=4000x3000,noise=alls=14:allf=t" -frames:v 1 \
  -q:v 3 "$work/photo.jpg"

now() { date +%s%N; }
best() { [ -z "$1" ] || [ "$2" -lt "$1" ] && echo "$2" || echo "$1"; }
size() { stat -c %s "$1"; }

# What Flingdial plans for a minute into 10 MB: the audio's share first
# (128 kbit/s), the rest for the picture, which 720p fits at a sensible
# bitrate; x264's fast preset, two passes.
video_kbps=$(awk 'BEGIN { printf "%d", 10000000 * 0.97 * 8 / 60 / 1000 - 128 }')
plain_two_pass() {
  ffmpeg -hide_banner -loglevel error -y -i "$work/clip.mov" -map 0:v:0 -vf scale=-2:720 \
    -c:v libx264 -pix_fmt yuv420p -preset fast -b:v "${video_kbps}k" -pass 1 \
    -passlogfile "$work/plain" -an -f null -
  ffmpeg -hide_banner -loglevel error -y -i "$work/clip.mov" -map 0:v:0 -map 0:a:0 \
    -vf scale=-2:720 -c:v libx264 -pix_fmt yuv420p -preset fast -b:v "${video_kbps}k" -pass 2 \
    -passlogfile "$work/plain" -c:a aac -b:a 128k -movflags +faststart "$work/plain.mov"
}
ours() { # LABEL FILE ANSWER
  echo "$3" | "$flingdial" --run tools "$1" "$2" > /dev/null 2>&1
}

plain= mine=
for _ in 1 2 3; do
  start=$(now); plain_two_pass; plain=$(best "$plain" $(( ($(now) - start) / 1000000 )))
  rm -f "$work/clip 10 MB.mov"
  start=$(now); ours "compress to size" "$work/clip.mov" "10 MB"
  mine=$(best "$mine" $(( ($(now) - start) / 1000000 )))
done
clip_size=$(size "$work/clip 10 MB.mov")
plain_size=$(size "$work/plain.mov")

magick_ms= photo_ms=
for _ in 1 2 3; do
  if [ -n "$magick" ]; then
    start=$(now); "$magick" "$work/photo.jpg" -define jpeg:extent=1MB "$work/magick.jpg"
    magick_ms=$(best "$magick_ms" $(( ($(now) - start) / 1000000 )))
  fi
  rm -f "$work/photo 1 MB.jpg"
  start=$(now); ours "compress to size" "$work/photo.jpg" "1 MB"
  photo_ms=$(best "$photo_ms" $(( ($(now) - start) / 1000000 )))
done
photo_size=$(size "$work/photo 1 MB.jpg")

awk -v cs="$clip_size" -v ps="$plain_size" -v cm="$mine" -v pm="$plain" \
    -v fs="$photo_size" -v src="$(size "$work/photo.jpg")" -v fm="$photo_ms" \
    -v ms="$( [ -n "$magick" ] && size "$work/magick.jpg" || echo 0)" -v mm="${magick_ms:-0}" 'BEGIN {
  clip_ok = cs >= 9000000 && cs <= 10000000 && cm <= pm * 1.1
  printf "60 s 1080p to 10 MB   flingdial %5.2f MB %6d ms   plain two-pass ffmpeg %5.2f MB %6d ms  %+.1f%%  %s\n",
    cs / 1e6, cm, ps / 1e6, pm, 100 * (cm - pm) / pm, clip_ok ? "met" : "missed"
  if (mm > 0) {
    photo_ok = fs >= 800000 && fs <= 1000000 && fm <= mm * 1.1
    printf "%.1f MB photo to 1 MB  flingdial %5.2f MB %6d ms   ImageMagick jpeg:extent %5.2f MB %6d ms  %+.1f%%  %s\n",
      src / 1e6, fs / 1e6, fm, ms / 1e6, mm, 100 * (fm - mm) / mm, photo_ok ? "met" : "missed"
  }
}'
