#!/usr/bin/env bash
# Text recognition: "Make Searchable" on a 20-page scanned PDF (text drawn
# by ImageMagick at 200 dpi, turned a little, with grain, stored as JPEG)
# against ocrmypdf, its peer: with its defaults, writing plain PDF, and
# writing plain PDF with one thread per tesseract run. Prints wall time, peak memory, the result's size against the
# source's and the share of the source's words pdftotext finds, and whether
# the goals are met: at least as fast as ocrmypdf, no more than 5 % larger
# than the source, at least as many words found.
# ocrmypdf is a peer for this measurement only: `apt install ocrmypdf`.
# Usage: bench/ocr.sh [build-dir]
. "$(dirname "$0")/setup.sh"
for tool in ocrmypdf tesseract pdftotext python3; do
  command -v "$tool" > /dev/null || { echo "$tool is not installed: nothing to compare with"; exit 0; }
done
magick=$(command -v magick || command -v convert-im6.q16) || { echo "ImageMagick is not installed"; exit 0; }
pages=20

# The words of the pages: sentences drawn from a fixed vocabulary.
python3 - "$work" "$pages" << 'PY'
import random, sys
work, pages = sys.argv[1], int(sys.argv[2])
words = ("harbour authority vessel schedule customs officer container machinery textile produce "
         "quay repair cargo terminal committee crane lighting pier training budget appendix "
         "resident complaint railway council measure sound library meeting contract tenant "
         "landlord payment deposit notice period agreement signature witness invoice delivery "
         "warehouse inventory shipment insurance premium policy claim damage inspection report "
         "the of and to in for with on by from at under after before during").split()
rng = random.Random(7)
for page in range(1, pages + 1):
    sentences = []
    for _ in range(14):
        n = rng.randint(8, 16)
        s = " ".join(rng.choice(words) for _ in range(n))
        sentences.append(s[0].upper() + s[1:] + ".")
    open(f"{work}/text{page:02d}.txt", "w").write(" ".join(sentences))
PY
for page in $(seq -w 1 $pages); do
  angle=$(awk -v p="$page" 'BEGIN { printf "%.1f", ((p * 37) % 25 - 12) / 10 }')
  "$magick" -density 200 -size 1400x -background white -fill black -font DejaVu-Serif \
    -pointsize 11 "caption:$(cat "$work/text$page.txt")" -gravity northwest \
    -extent 1654x2339-127-200 -background white -rotate "$angle" -gravity center \
    -extent 1654x2339 -attenuate 0.4 +noise Gaussian -colorspace Gray -quality 80 \
    "$work/page$page.jpg"
done
# One JPEG per page at 200 dpi, as a scanner's software writes them.
python3 - "$work" "$pages" << 'PY'
import sys
work, pages = sys.argv[1], int(sys.argv[2])
objects = [b"<< /Type /Catalog /Pages 2 0 R >>", b""]
kids = []
for page in range(1, pages + 1):
    data = open(f"{work}/page{page:02d}.jpg", "rb").read()
    first = len(objects) + 1
    w, h = 1654 * 72 / 200, 2339 * 72 / 200
    objects.append(b"<< /Type /XObject /Subtype /Image /Width 1654 /Height 2339 /ColorSpace "
                   b"/DeviceGray /BitsPerComponent 8 /Filter /DCTDecode /Length %d >>\nstream\n"
                   % len(data) + data + b"\nendstream")
    content = b"q %.2f 0 0 %.2f 0 0 cm /Im0 Do Q" % (w, h)
    objects.append(b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream")
    objects.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %.2f %.2f] /Resources "
                   b"<< /XObject << /Im0 %d 0 R >> >> /Contents %d 0 R >>" % (w, h, first, first + 1))
    kids.append(b"%d 0 R" % (first + 2))
objects[1] = b"<< /Type /Pages /Kids [" + b" ".join(kids) + b"] /Count %d >>" % pages
out = bytearray(b"%PDF-1.5\n")
offsets = []
for i, body in enumerate(objects):
    offsets.append(len(out))
    out += b"%d 0 obj\n" % (i + 1) + body + b"\nendobj\n"
xref = len(out)
out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
out += b"".join(b"%010d 00000 n \n" % o for o in offsets)
out += b"trailer << /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
open(f"{work}/scans.pdf", "wb").write(out)
PY
cat "$work"/text*.txt > "$work/words.txt"

# found PDF → the share of the source's words (counted with repeats) in its text.
found() {
  pdftotext "$1" "$work/found.txt"
  python3 - "$work/words.txt" "$work/found.txt" << 'PY'
import collections, re, sys
def words(path):
    return [w for w in (re.sub(r"^\W+|\W+$", "", t.lower()) for t in open(path).read().split()) if w]
have = collections.Counter(words(sys.argv[2]))
expected = words(sys.argv[1])
hit = 0
for w in expected:
    if have[w] > 0:
        have[w] -= 1
        hit += 1
print("%.1f" % (100 * hit / len(expected)))
PY
}

cp "$work/scans.pdf" "$work/source.pdf"
source_kb=$(( $(stat -c %s "$work/source.pdf") / 1024 ))
export LC_ALL=C.UTF-8
ours() { cp "$work/source.pdf" "$work/out/scans.pdf"; "$flingdial" --run tools "make searchable" "$work/out/scans.pdf"; }
defaults() { ocrmypdf -l eng "$work/source.pdf" "$work/out/peer.pdf"; }
plain() { ocrmypdf -l eng --output-type pdf "$work/source.pdf" "$work/out/peer.pdf"; }
# Tesseract's own threads only wait for each other when pages run side by side.
single() { OMP_THREAD_LIMIT=1 ocrmypdf -l eng --output-type pdf "$work/source.pdf" "$work/out/peer.pdf"; }
export -f ours defaults plain single
export flingdial work
goal=met
printf '%-28s %9s %7s %9s %8s\n' "$pages pages at 200 dpi" "time" "memory" "size" "words"
printf '%-28s %9s %7s %6s KB %8s\n' "source" "" "" "$source_kb" ""
read -r ms mb < <(measure bash -c ours)
# The last run's result, for its size and words.
ours_pdf="$work/ours.pdf"
cp "$work/out/scans searchable.pdf" "$ours_pdf"
ours_kb=$(( $(stat -c %s "$ours_pdf") / 1024 )); ours_words=$(found "$ours_pdf")
printf '%-28s %6s ms %4s MB %6s KB %7s %%\n' "flingdial" "$ms" "$mb" "$ours_kb" "$ours_words"
ours_ms=$ms
for peer in defaults plain single; do
  read -r ms mb < <(measure bash -c "$peer")
  kb=$(( $(stat -c %s "$work/out/peer.pdf") / 1024 )); words=$(found "$work/out/peer.pdf")
  case $peer in
    defaults) label="ocrmypdf" ;;
    plain) label="ocrmypdf --output-type pdf" ;;
    single) label="  and OMP_THREAD_LIMIT=1" ;;
  esac
  printf '%-28s %6s ms %4s MB %6s KB %7s %%\n' "$label" "$ms" "$mb" "$kb" "$words"
  [ "$ours_ms" -le "$ms" ] || goal=missed
  awk -v a="$ours_words" -v b="$words" 'BEGIN { exit !(a >= b) }' || goal=missed
done
[ $(( $(stat -c %s "$ours_pdf") * 100 )) -le $(( $(stat -c %s "$work/source.pdf") * 105 )) ] || goal=missed
echo "goal: $goal"
