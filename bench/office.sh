#!/usr/bin/env bash
# Ten presentations to PDF: one drop through Flingdial (one LibreOffice run
# for all) against ten separate `soffice --headless --convert-to pdf` runs,
# side by side. The goal: at least 3× faster.
# Usage: bench/office.sh [build-dir]
. "$(dirname "$0")/setup.sh"
soffice=$(command -v soffice || true)
[ -n "$soffice" ] || { echo "LibreOffice is not installed: nothing to compare with"; exit 0; }
export XDG_CACHE_HOME="$work/cache"

mkdir -p "$work/decks"
for i in $(seq 1 10); do
  {
    printf '<?xml version="1.0" encoding="UTF-8"?><office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.presentation"><office:body><office:presentation>'
    for s in 1 2 3 4 5; do
      printf '<draw:page draw:name="s%d"><draw:frame svg:x="2cm" svg:y="2cm" svg:width="20cm" svg:height="3cm"><draw:text-box><text:p>Deck %d, slide %d</text:p></draw:text-box></draw:frame></draw:page>' "$s" "$i" "$s"
    done
    printf '</office:presentation></office:body></office:document>'
  } > "$work/decks/deck$i.fodp"
done
"$soffice" "-env:UserInstallation=file://$work/make-profile" --headless --convert-to pptx \
  --outdir "$work/decks" "$work/decks"/*.fodp > /dev/null 2>&1

now() { date +%s%N; }
ms_of() { local start end; start=$(now); "$@" > /dev/null 2>&1; end=$(now); echo $(( (end - start) / 1000000 )); }
ours() { rm -f "$work/decks"/*.pdf; "$flingdial" --run convert pdf "$work/decks"/*.pptx; }
theirs() {
  rm -f "$work/decks"/*.pdf
  for f in "$work/decks"/*.pptx; do
    "$soffice" "-env:UserInstallation=file://$work/profile" --headless --convert-to pdf \
      --outdir "$work/decks" "$f"
  done
}
ours > /dev/null 2>&1 # the program's LibreOffice profile, made once as on any later run
fms=$(ms_of ours)
lms=$(ms_of theirs)
ratio=$(awk -v a="$lms" -v b="$fms" 'BEGIN { printf "%.1f", a / (b > 0 ? b : 1) }')
goal=met
[ $(( fms * 3 )) -le "$lms" ] || goal=missed
printf '%-34s %8s ms\n' "flingdial, one drop of ten PPTX" "$fms" "ten soffice runs" "$lms"
printf '%-34s %8s×  goal: %s\n' "ratio" "$ratio" "$goal"
