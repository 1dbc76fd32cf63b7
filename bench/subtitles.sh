#!/usr/bin/env bash
# Subtitle work on a 20,000-cue SubRip file: Flingdial against ffmpeg,
# SRT → VTT, VTT → SRT, and a timing shift (ffmpeg: -itsoffset); then the
# peak memory of converting a million cues.
# Usage: bench/subtitles.sh [build-dir]
. "$(dirname "$0")/setup.sh"

awk 'BEGIN {
  for (i = 0; i < 20000; i++) {
    s = i * 3; e = s + 2
    printf "%d\n%02d:%02d:%02d,500 --> %02d:%02d:%02d,250\nLine %d of the dialogue, with some words.\n\n",
      i + 1, s / 3600, (s / 60) % 60, s % 60, e / 3600, (e / 60) % 60, e % 60, i
  }
}' > "$work/in.srt"

now() { date +%s%N; }
time_ms() { # command… → milliseconds, best of three
  local best=
  for _ in 1 2 3; do
    local start end
    start=$(now); "$@" > /dev/null 2>&1; end=$(now)
    local ms=$(( (end - start) / 1000000 ))
    [ -z "$best" ] || [ "$ms" -lt "$best" ] && best=$ms
    rm -f "$work"/in\ *.vtt "$work"/in.vtt "$work"/back*.srt "$work"/in\ synced*.srt
  done
  echo "$best"
}

ffmpeg -v error -y -i "$work/in.srt" "$work/ref.vtt"

fd_to_vtt=$(time_ms "$flingdial" --run convert vtt "$work/in.srt")
ff_to_vtt=$(time_ms ffmpeg -v error -y -i "$work/in.srt" "$work/in.vtt")
fd_to_srt=$(time_ms "$flingdial" --run convert srt "$work/ref.vtt")
ff_to_srt=$(time_ms ffmpeg -v error -y -i "$work/ref.vtt" "$work/back.srt")
shift_answer() { printf '1.5\n' | "$flingdial" --run tools "Shift Timing…" "$work/in.srt"; }
fd_shift=$(time_ms shift_answer)
ff_shift=$(time_ms ffmpeg -v error -y -itsoffset 1.5 -i "$work/in.srt" "$work/back-shifted.srt")

printf '%-12s %10s %10s %8s\n' "20,000 cues" "flingdial" "ffmpeg" "ratio"
for row in "SRT → VTT:$fd_to_vtt:$ff_to_vtt" "VTT → SRT:$fd_to_srt:$ff_to_srt" "shift:$fd_shift:$ff_shift"; do
  IFS=: read -r name fd ff <<< "$row"
  ratio=$(awk -v a="$ff" -v b="$fd" 'BEGIN { printf "%.1f×", a / (b > 0 ? b : 1) }')
  printf '%-12s %8s ms %7s ms %8s\n' "$name" "$fd" "$ff" "$ratio"
done

# A million cues: the work is streamed, so peak memory should stay far below
# the file's own size (about 55 MB).
awk 'BEGIN {
  for (i = 0; i < 1000000; i++) {
    s = i % 86400
    printf "%d\n%02d:%02d:%02d,500 --> %02d:%02d:%02d,900\nLine %d.\n\n",
      i + 1, s / 3600, (s / 60) % 60, s % 60, s / 3600, (s / 60) % 60, s % 60, i
  }
}' > "$work/million.srt"
size_mb=$(( $(stat -c %s "$work/million.srt") / 1000000 ))
for step in "vtt million.srt" "srt million.vtt"; do
  read -r target source <<< "$step"
  /usr/bin/time -f '%M' -o "$work/peak" "$flingdial" --run convert "$target" "$work/$source" > /dev/null
  printf '1,000,000 cues (%d MB), %s → %s: peak %d MB\n' "$size_mb" "${source#*.}" "$target" \
    $(( $(cat "$work/peak") / 1024 ))
done
