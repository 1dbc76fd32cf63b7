#!/usr/bin/env bash
# Documents: Flingdial against LibreOffice (soffice --headless --convert-to),
# side by side. A small Word document to ODT, RTF and PDF, LibreOffice
# starting cold each time (a fresh profile, as on a first run); a 180-page
# Word document to PDF, with peak memory; a table of 5,000 rows and 8
# columns and a report with 30 photos, both as LibreOffice writes them
# into Word documents, to PDF (these LibreOffice runs once: they take
# minutes). Prints whether the goals are met: 20× faster for small
# documents, 5× faster with under half the memory for the long ones, and
# the table's page count within 15 % of LibreOffice's.
# Usage: bench/documents.sh [build-dir]
. "$(dirname "$0")/setup.sh"
soffice=$(command -v soffice || true)
[ -n "$soffice" ] || { echo "LibreOffice is not installed: nothing to compare with"; exit 0; }

# The inputs, written by Flingdial's own DOCX writer from generated HTML.
make_html() { # PARAGRAPHS → a report with headings, lists and a table
  awk -v n="$1" 'BEGIN {
    print "<html><head><meta charset=\"utf-8\"></head><body><h1>Quarterly report</h1>"
    for (i = 1; i <= n; i++) {
      if (i % 20 == 1) printf "<h2>Section %d</h2>\n", i / 20 + 1
      printf "<p>Paragraph %d: the <b>results</b> of the <i>quarter</i> were in line with", i
      print " the plan, and the team expects the next one to follow the same course closely.</p>"
      if (i % 25 == 0) print "<ul><li>First point</li><li>Second point</li></ul>"
      if (i % 50 == 0) print "<table border=1><tr><td>Region</td><td>Sales</td></tr><tr><td>North</td><td>42</td></tr></table>"
    }
    print "</body></html>"
  }'
}
make_html 12 > "$work/small.html"
make_html 2750 > "$work/long.html"
"$flingdial" --run convert docx "$work/small.html" > /dev/null 2>&1
"$flingdial" --run convert docx "$work/long.html" > /dev/null 2>&1
"$flingdial" --run convert pdf "$work/long.docx" > /dev/null 2>&1
pages=$(pdfinfo "$work/long.pdf" | awk '/^Pages:/ { print $2 }')

ours() { cp "$work/$2.docx" "$work/out/"; "$flingdial" --run convert "$1" "$work/out/$2.docx"; }
theirs() { # a fresh profile each time: LibreOffice's first run
  rm -rf "$work/profile"
  "$soffice" "-env:UserInstallation=file://$work/profile" --headless --convert-to "$1" \
    --outdir "$work/out" "$work/$2.docx"
}
export -f ours theirs
export flingdial soffice work

printf '%-22s %16s %16s %8s  %s\n' "" "flingdial" "LibreOffice" "ratio" "goal"
row() { # NAME TARGET INPUT SPEEDUP CHECK-MEMORY
  read -r fms fmb < <(measure bash -c 'ours "$0" "$1"' "$2" "$3")
  read -r lms lmb < <(measure bash -c 'theirs "$0" "$1"' "$2" "$3")
  local goal=met
  [ $(( fms * $4 )) -le "$lms" ] || goal=missed
  [ "$5" = no ] || [ $(( 2 * fmb )) -lt "$lmb" ] || goal=missed
  printf '%-22s %6s ms %4s MB %6s ms %4s MB %7s×  %s\n' "$1" "$fms" "$fmb" "$lms" "$lmb" \
    "$(awk -v a="$lms" -v b="$fms" 'BEGIN { printf "%.1f", a / (b > 0 ? b : 1) }')" "$goal"
}
row "small DOCX → ODT" odt small 20 no
row "small DOCX → RTF" rtf small 20 no
row "small DOCX → PDF" pdf small 20 no
row "$pages-page DOCX → PDF" pdf long 5 yes

# measure_once COMMAND… → "ms MB" of a single run; $work/out is emptied first.
measure_once() {
  rm -rf "$work/out"; mkdir "$work/out"
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" > /dev/null 2>&1
  read -r seconds kb < "$work/time"
  echo "$(awk -v s="$seconds" 'BEGIN { printf "%d", s * 1000 }') $(( kb / 1024 ))"
}

fodt_header='<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.text">'
# A bordered table with a shaded header row repeated on every page, 8
# columns of one to three words a cell.
{ echo "$fodt_header"
  awk -v rows=5000 'BEGIN {
    srand(7); split("alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike november oscar papa quebec romeo sierra tango uniform victor whiskey xray yankee zulu", w, " ")
    print "<office:automatic-styles><style:style style:name=\"Cell\" style:family=\"table-cell\"><style:table-cell-properties fo:padding=\"0.05cm\" fo:border=\"0.5pt solid #000000\"/></style:style><style:style style:name=\"Head\" style:family=\"table-cell\"><style:table-cell-properties fo:padding=\"0.05cm\" fo:border=\"0.5pt solid #000000\" fo:background-color=\"#dddddd\"/></style:style></office:automatic-styles>"
    print "<office:body><office:text><text:h text:outline-level=\"1\">Inventory</text:h><table:table table:name=\"Inventory\"><table:table-column table:number-columns-repeated=\"8\"/><table:table-header-rows><table:table-row>"
    for (c = 1; c <= 8; c++) printf "<table:table-cell table:style-name=\"Head\" office:value-type=\"string\"><text:p>Column %d</text:p></table:table-cell>", c
    print "</table:table-row></table:table-header-rows>"
    for (r = 1; r <= rows; r++) {
      printf "<table:table-row>"
      for (c = 1; c <= 8; c++) {
        t = r; if (c > 1) { t = ""; n = 1 + int(rand() * 3); for (k = 0; k < n; k++) t = t (k ? " " : "") w[1 + int(rand() * 26)] }
        printf "<table:table-cell table:style-name=\"Cell\" office:value-type=\"string\"><text:p>%s</text:p></table:table-cell>", t
      }
      print "</table:table-row>"
    }
    print "</table:table></office:text></office:body></office:document>"
  }'
} > "$work/table.fodt"
# 30 photos of 2400 × 1600 pixels, 1.7 MB each, with a line of text.
ffmpeg=$(command -v ffmpeg || true)
if [ -n "$ffmpeg" ]; then
  "$ffmpeg" -v error -f lavfi -i "testsrc2=size=2400x1600:rate=1,noise=alls=20:allf=t" \
    -frames:v 30 -q:v 3 "$work/photo%02d.jpg"
  { echo "$fodt_header<office:body><office:text><text:h text:outline-level=\"1\">Holiday</text:h>"
    for photo in "$work"/photo*.jpg; do
      printf '<text:p>Photo %s</text:p><text:p><draw:frame text:anchor-type="as-char" svg:width="15cm" svg:height="10cm"><draw:image><office:binary-data>' "$(basename "$photo")"
      base64 -w0 "$photo"
      echo '</office:binary-data></draw:image></draw:frame></text:p>'
    done
    echo "</office:text></office:body></office:document>"
  } > "$work/photos.fodt"
fi
rm -rf "$work/profile"
"$soffice" "-env:UserInstallation=file://$work/profile" --headless --convert-to docx \
  --outdir "$work" "$work/table.fodt" $( [ -f "$work/photos.fodt" ] && echo "$work/photos.fodt" ) \
  > /dev/null 2>&1
heavy() { # NAME INPUT pages|report: to PDF, LibreOffice measured once
  read -r fms fmb < <(measure bash -c 'ours "$0" "$1"' pdf "$2")
  local ours_pages; ours_pages=$(pdfinfo "$work/out/$2.pdf" | awk '/^Pages:/ { print $2 }')
  read -r lms lmb < <(measure_once bash -c 'theirs "$0" "$1"' pdf "$2")
  local their_pages; their_pages=$(pdfinfo "$work/out/$2.pdf" | awk '/^Pages:/ { print $2 }')
  local goal="—"
  if [ "$3" = pages ]; then
    goal=met
    [ $(( fms * 5 )) -le "$lms" ] && [ $(( 2 * fmb )) -lt "$lmb" ] || goal=missed
    awk -v a="$ours_pages" -v b="$their_pages" 'BEGIN { exit !(a <= b * 1.15 && a >= b * 0.85) }' ||
      goal=missed
  fi
  printf '%-22s %6s ms %4s MB %6s ms %4s MB %7s×  %s (pages: %s, LibreOffice %s)\n' "$1" "$fms" \
    "$fmb" "$lms" "$lmb" \
    "$(awk -v a="$lms" -v b="$fms" 'BEGIN { printf "%.1f", a / (b > 0 ? b : 1) }')" "$goal" \
    "$ours_pages" "$their_pages"
}
heavy "5,000-row table → PDF" table pages
[ -f "$work/photos.docx" ] && heavy "30 photos → PDF" photos report

# A 300 KB Markdown manual to HTML, DOCX and EPUB, against pandoc when it is
# installed: at least 5× faster.
pandoc=$(command -v pandoc || true)
awk 'BEGIN {
  for (c = 1; c <= 220; c++) {
    printf "# Chapter %d\n\nThis chapter explains **part %d** of the tool, with *emphasis*, `code` and a [link](https://example.org/%d).\n\n", c, c, c
    for (i = 1; i <= 8; i++) printf "- Step %d: open the *settings* and choose **option %d**.\n", i, i
    print ""
    for (p = 1; p <= 6; p++) print "A paragraph of the manual that describes what happens when the user follows the steps above, and what to do next.\nIt goes on over a second line."
    print ""
  }
}' > "$work/manual.md"
[ -n "$pandoc" ] || { echo "pandoc is not installed: Markdown rows skipped"; exit 0; }
printf '\n%-22s %16s %16s %8s  %s\n' "$(( $(stat -c %s "$work/manual.md") / 1024 )) KB Markdown" "flingdial" "pandoc" "ratio" "goal"
ours_md() { cp "$work/manual.md" "$work/out/"; "$flingdial" --run convert "$1" "$work/out/manual.md"; }
theirs_md() { "$pandoc" -s -f markdown -o "$work/out/manual.$1" "$work/manual.md" --metadata title=Manual; }
export -f ours_md theirs_md
export pandoc
for target in html docx epub; do
  read -r fms fmb < <(measure bash -c 'ours_md "$0"' "$target")
  read -r pms pmb < <(measure bash -c 'theirs_md "$0"' "$target")
  goal=met
  [ $(( fms * 5 )) -le "$pms" ] || goal=missed
  printf '%-22s %6s ms %4s MB %6s ms %4s MB %7s×  %s\n' "to ${target^^}" "$fms" "$fmb" "$pms" "$pmb" \
    "$(awk -v a="$pms" -v b="$fms" 'BEGIN { printf "%.1f", a / (b > 0 ? b : 1) }')" "$goal"
done
