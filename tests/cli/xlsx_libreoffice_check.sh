#!/usr/bin/env bash
# LibreOffice, a reader independent of the test's own, gives every bundled sample's workbook
# the cell text of its CSV export. Exit 77 (skipped) where LibreOffice is not installed.
#   xlsx_libreoffice_check.sh QRPTOOL SAMPLE_DIR PYTHON3
set -euo pipefail
qrptool=$1 samples=$2 python=$3
if ! command -v soffice >/dev/null; then
  echo "skipped: soffice (LibreOffice, setup-deps.sh --fidelity) is not installed"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A profile of its own, so a running LibreOffice of the user's is neither used nor disturbed.
profile="file://$work/profile"
for report in "$samples"/*.qrp; do
  name=$(basename "$report" .qrp)
  "$qrptool" export "$report" --format csv --encoding UTF-8 -o "$work/$name.csv"
  "$qrptool" export "$report" --format xlsx -o "$work/$name.xlsx"
  mkdir -p "$work/lo"
  # UTF-8 (76), comma, double quotes, cell text as shown.
  LC_ALL=C.UTF-8 soffice -env:UserInstallation="$profile" --headless \
    --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true' \
    --outdir "$work/lo" "$work/$name.xlsx" >/dev/null 2>&1
  "$python" - "$work/$name.csv" "$work/lo/$name.csv" <<'PY'
import csv, sys
def rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        out = []
        for row in csv.reader(f):
            while row and row[-1] == "":
                row.pop()
            out.append(row)
    while out and not out[-1]:
        out.pop()
    return out
ours, theirs = rows(sys.argv[1]), rows(sys.argv[2])
if ours != theirs:
    for n, (a, b) in enumerate(zip(ours, theirs), 1):
        if a != b:
            print("row %d: csv %r, LibreOffice %r" % (n, a, b))
            break
    print("rows: csv %d, LibreOffice %d" % (len(ours), len(theirs)))
    sys.exit(1)
print("%s: %d rows alike" % (sys.argv[1].rsplit("/", 1)[-1], len(ours)))
PY
done
