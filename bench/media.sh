#!/usr/bin/env bash
# A 30-second 1080p clip to MP4, through `flingdial --run` and through plain
# ffmpeg with the same arguments; prints both times and the program's overhead.
# Every --run follows ffmpeg's progress; on a terminal (run here through
# script(1)) it also draws the bar, so that case is timed as well. Then six
# clips in one drop, one at a time and side by side.
# Usage: bench/media.sh [build-dir]
. "$(dirname "$0")/setup.sh"

ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=30 \
  -f lavfi -i sine=frequency=440:sample_rate=48000:duration=30 -ac 2 \
  -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$work/clip.mov"

# The arguments Flingdial passes for MP4 on an ffmpeg with libx264 and aac.
same_arguments=(-c:v libx264 -preset veryfast -pix_fmt yuv420p -crf 23
  -vf 'scale=trunc(iw/2)*2:trunc(ih/2)*2' -c:a aac -b:a 192k -movflags +faststart)

now() { date +%s%N; }
best() { [ -z "$1" ] || [ "$2" -lt "$1" ] && echo "$2" || echo "$1"; }
plain= ours= drawn=
for _ in 1 2; do # alternating, best of two each
  start=$(now)
  ffmpeg -hide_banner -loglevel error -y -i "$work/clip.mov" "${same_arguments[@]}" "$work/plain.mp4"
  plain=$(best "$plain" $(( ($(now) - start) / 1000000 )))
  rm -f "$work/clip.mp4"
  start=$(now)
  "$flingdial" --run convert mp4 "$work/clip.mov" > /dev/null
  ours=$(best "$ours" $(( ($(now) - start) / 1000000 )))
  rm -f "$work/clip.mp4"
  start=$(now)
  script -qec "$(printf '%q ' "$flingdial" --run convert mp4 "$work/clip.mov")" /dev/null > /dev/null
  drawn=$(best "$drawn" $(( ($(now) - start) / 1000000 )))
done

cmp -s <(ffprobe -v error -show_entries stream=codec_name,width,height -of csv "$work/plain.mp4") \
       <(ffprobe -v error -show_entries stream=codec_name,width,height -of csv "$work/clip.mp4") ||
  echo "warning: the two outputs differ in their streams"
awk -v a="$ours" -v b="$plain" -v c="$drawn" 'BEGIN {
  printf "30 s of 1080p to MP4: flingdial %d ms, ffmpeg %d ms, overhead %+.1f%%\n", a, b, 100 * (a - b) / b
  printf "with the progress bar on a terminal: %d ms, overhead %+.1f%% (goal: under 5%%)\n", c, 100 * (c - b) / b
}'

# Six 10-second 1080p clips to MP4 in one drop: one file at a time
# (FLINGDIAL_WORKERS=1, ffmpeg with a thread per core) against the files
# side by side, each ffmpeg with its share of the cores (x264 alone keeps
# the cores nearly busy, so the gain is smaller than for pictures). Peak
# memory of the process tree.
for i in 1 2 3 4 5 6; do
  ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30:duration=10 \
    -f lavfi -i "sine=frequency=$((300 + 50 * i)):sample_rate=48000:duration=10" -ac 2 \
    -c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac "$work/six-$i.mov"
done
six() { # WORKERS
  rm -f "$work"/six-*.mp4
  FLINGDIAL_WORKERS=$1 tree_peak "$flingdial" --run convert mp4 "$work"/six-*.mov
}
read -r one_ms one_mb < <(six 1)
read -r all_ms all_mb < <(six 0)
awk -v a="$one_ms" -v b="$all_ms" -v am="$one_mb" -v bm="$all_mb" -v c="$(nproc)" 'BEGIN {
  printf "6 x 10 s 1080p to MP4: one at a time %d ms %d MB, side by side (%d cores) %d ms %d MB, %.2fx\n", a, am, c, b, bm, a / b
}'
