#!/usr/bin/env bash
# Documents: Flingdial against LibreOffice (soffice --headless --convert-to),
# side by side. A small Word document to ODT, RTF and PDF, LibreOffice
# starting cold each time (a fresh profile, as on a first run); and a
# 180-page Word document to PDF, with peak memory. Prints whether the goals
# are met: 20× faster for small documents, 5× faster with under half the
# memory for the long one.
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
