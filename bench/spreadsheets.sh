#!/usr/bin/env bash
# CSV to XLSX, 100,000 rows × 10 columns: the whole `flingdial --run`
# command against python's xlsxwriter (constant-memory mode), the C library
# libxlsxwriter (bench/csv2xlsx.c) and LibreOffice, side by side; then
# 1,000,000 rows through Flingdial alone. Prints wall time and peak memory
# and whether the goals are met: 10× faster than python's xlsxwriter, 2×
# faster than libxlsxwriter, under 32 MB.
# Usage: bench/spreadsheets.sh [build-dir]
. "$(dirname "$0")/setup.sh"

make_csv() { # ROWS → a table with a header, text and numbers
  awk -v n="$1" 'BEGIN {
    print "id,name,city,code,amount,price,quantity,ratio,note,total"
    for (i = 1; i <= n; i++)
      printf "%d,Customer %d,City %d,C%05d,%d.%02d,%d.5,%d,0.%d,Note for row %d,%d\n",
        i, i, i % 500, i % 99999, i % 1000, i % 100, i % 70, i % 40, i % 9, i, i * 3
  }'
}
make_csv 100000 > "$work/table.csv"

ours() { cp "$work/$1" "$work/out/"; "$flingdial" --run convert xlsx "$work/out/$1"; }
python_xlsxwriter() {
  /usr/bin/python3 - "$work/table.csv" "$work/out/table.xlsx" <<'PY'
import csv, sys, re, xlsxwriter
book = xlsxwriter.Workbook(sys.argv[2], {"constant_memory": True})
sheet = book.add_worksheet()
bold = book.add_format({"bold": True})
number = re.compile(r"^-?(0|[1-9][0-9]{0,14})(\.[0-9]+)?$")
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    for r, row in enumerate(csv.reader(f)):
        for c, v in enumerate(row):
            if r == 0: sheet.write_string(r, c, v, bold)
            elif number.match(v): sheet.write_number(r, c, float(v))
            else: sheet.write_string(r, c, v)
book.close()
PY
}
export -f ours python_xlsxwriter
export flingdial work

printf '%-26s %8s %7s  %s\n' "100,000 rows × 10 → XLSX" "time" "memory" "ratio"
read -r fms fmb < <(measure bash -c 'ours table.csv')
printf '%-26s %5s ms %4s MB\n' "flingdial" "$fms" "$fmb"
goal=met
[ "$fmb" -lt 32 ] || goal=missed
row() { # NAME MS MB SPEEDUP
  local ratio; ratio=$(awk -v a="$2" -v b="$fms" 'BEGIN { printf "%.1f", a / (b > 0 ? b : 1) }')
  printf '%-26s %5s ms %4s MB  %5s×\n' "$1" "$2" "$3" "$ratio"
  [ -z "$4" ] || [ $(( fms * $4 )) -le "$2" ] || goal=missed
}
if /usr/bin/python3 -c 'import xlsxwriter' 2>/dev/null; then
  read -r ms mb < <(measure bash -c python_xlsxwriter); row "python xlsxwriter" "$ms" "$mb" 10
else
  echo "python3-xlsxwriter is not installed: row skipped"
fi
if cc -O2 -o "$work/csv2xlsx" "$(dirname "$0")/csv2xlsx.c" -lxlsxwriter 2>/dev/null; then
  read -r ms mb < <(measure "$work/csv2xlsx" "$work/table.csv" "$work/out/table.xlsx"); row "libxlsxwriter" "$ms" "$mb" 2
else
  echo "libxlsxwriter-dev is not installed: row skipped"
fi
if soffice=$(command -v soffice); then
  read -r ms mb < <(measure "$soffice" "-env:UserInstallation=file://$work/profile" --headless \
    --convert-to xlsx --outdir "$work/out" "$work/table.csv"); row "LibreOffice" "$ms" "$mb" ""
fi
make_csv 1000000 > "$work/million.csv"
read -r mms mmb < <(measure bash -c 'ours million.csv')
printf '%-26s %5s ms %4s MB\n' "1,000,000 rows, flingdial" "$mms" "$mmb"
[ "$mmb" -lt 32 ] || goal=missed
echo "goal: $goal"
