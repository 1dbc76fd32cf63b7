#!/usr/bin/env bash
# PDF tools: Flingdial against the qpdf command line (merge 2 × 500 pages,
# split 500 pages, rotate, extract pages), against Ghostscript (compressing
# a photo PDF), against pdftoppm (100 pages to PNG at 144 dpi) and against
# pdftotext (500 pages to TXT; to DOCX, which reads the text with its
# sizes). Prints wall time and peak memory side by side and whether the
# goals are met: 5× faster than qpdf under 32 MB, compression no slower and
# no larger than Ghostscript, pages at least as fast as pdftoppm on one
# thread, TXT no slower than pdftotext.
# Usage: bench/pdf.sh [build-dir]
. "$(dirname "$0")/setup.sh"
command -v qpdf > /dev/null || { echo "qpdf is not installed: nothing to compare with"; exit 0; }

# Inputs: a 500-page text PDF and a photo PDF. The text PDF is made by
# LibreOffice when it is installed: like most PDFs in the wild its pages
# share one resource dictionary, which qpdf's page copying analyses page
# by page. Flingdial's own renderer makes it otherwise.
awk 'BEGIN { for (i = 1; i <= 500 * 62; i++) printf "Line %d of the long document, with a few more words.\n", i }' \
  > "$work/long.txt"
if soffice=$(command -v soffice); then
  "$soffice" "-env:UserInstallation=file://$work/profile" --headless --convert-to pdf \
    --outdir "$work" "$work/long.txt" > /dev/null 2>&1
else
  "$flingdial" --run convert pdf "$work/long.txt" > /dev/null 2>&1
fi
# Used as it was made: copying pages with qpdf would give each its own resources.
cp "$work/long.pdf" "$work/a.pdf"
cp "$work/long.pdf" "$work/b.pdf"
pages=$(qpdf --show-npages "$work/a.pdf")
for i in 1 2 3 4 5 6; do
  ffmpeg -v error -y -f lavfi -i "mandelbrot=size=2400x1800:start_scale=$i" -frames:v 1 "$work/photo$i.png"
done
"$flingdial" --run tools "merge into pdf" "$work"/photo*.png > /dev/null 2>&1
mv "$work/photo1 merged.pdf" "$work/photos.pdf"
qpdf --pages "$work/long.pdf" 1-100 -- "$work/long.pdf" "$work/hundred.pdf"

ours() { # MODE LABEL FILE…
  local mode=$1 label=$2; shift 2
  local files=()
  for f in "$@"; do cp "$work/$f" "$work/out/"; files+=("$work/out/$f"); done
  printf '1-3, 5, 100-200\n' | "$flingdial" --run "$mode" "$label" "${files[@]}"
}
export -f ours
export flingdial work
goal=met
printf '%-26s %16s %16s %8s\n' "" "flingdial" "peer" "ratio"
row() { # NAME SPEEDUP MEMORY-CAP OURS-CMD -- PEER-CMD
  local name=$1 speedup=$2 cap=$3; shift 3
  local ours_cmd=() peer_cmd=()
  while [ "$1" != "--" ]; do ours_cmd+=("$1"); shift; done; shift
  peer_cmd=("$@")
  read -r fms fmb < <(measure "${ours_cmd[@]}")
  read -r pms pmb < <(measure "${peer_cmd[@]}")
  printf '%-26s %6s ms %4s MB %6s ms %4s MB %7s×\n' "$name" "$fms" "$fmb" "$pms" "$pmb" \
    "$(awk -v a="$pms" -v b="$fms" 'BEGIN { printf "%.1f", a / (b > 0 ? b : 1) }')"
  [ $(( fms * speedup )) -le "$pms" ] || goal=missed
  [ -z "$cap" ] || [ "$fmb" -lt "$cap" ] || goal=missed
}
row "merge 2 × $pages pages (qpdf)" 5 32 bash -c 'ours tools merge a.pdf b.pdf' -- \
  qpdf --empty --pages "$work/a.pdf" "$work/b.pdf" -- "$work/out/m.pdf"
row "split $pages pages (qpdf)" 5 32 bash -c 'ours tools split a.pdf' -- \
  qpdf --split-pages "$work/a.pdf" "$work/out/page-%d.pdf"
row "rotate $pages pages (qpdf)" 5 32 bash -c 'ours tools rotate a.pdf' -- \
  qpdf --rotate=+90 "$work/a.pdf" "$work/out/r.pdf"
row "extract pages (qpdf)" 5 32 bash -c 'ours tools "extract pages…" a.pdf' -- \
  qpdf --pages "$work/a.pdf" 1-3,5,100-200 -- "$work/a.pdf" "$work/out/e.pdf"
if command -v gs > /dev/null; then
  row "compress photos (gs)" 1 "" bash -c 'ours tools compress photos.pdf' -- \
    gs -sDEVICE=pdfwrite -dPDFSETTINGS=/ebook -dCompatibilityLevel=1.5 -dNOPAUSE -dBATCH -dQUIET \
    "-sOutputFile=$work/out/gs.pdf" "$work/photos.pdf"
  ours tools compress photos.pdf > /dev/null 2>&1 || true
  gs -sDEVICE=pdfwrite -dPDFSETTINGS=/ebook -dCompatibilityLevel=1.5 -dNOPAUSE -dBATCH -dQUIET \
    "-sOutputFile=$work/gs.pdf" "$work/photos.pdf"
  ours_size=$(stat -c %s "$work/out/photos compressed.pdf"); gs_size=$(stat -c %s "$work/gs.pdf")
  printf '%-26s %13s KB %13s KB\n' "  compressed size" $(( ours_size / 1024 )) $(( gs_size / 1024 ))
  [ "$ours_size" -le "$gs_size" ] || goal=missed
fi
row "100 pages → PNG (pdftoppm)" 1 "" bash -c 'ours convert png hundred.pdf' -- \
  pdftoppm -r 144 -png "$work/hundred.pdf" "$work/out/p"
row "$pages pages → TXT (pdftotext)" 1 "" bash -c 'ours convert txt a.pdf' -- \
  pdftotext "$work/a.pdf" "$work/out/a.txt"
row "$pages pages → DOCX (pdftotext)" 0 "" bash -c 'ours convert docx a.pdf' -- \
  pdftotext "$work/a.pdf" "$work/out/a.txt"
echo "goal: $goal"
