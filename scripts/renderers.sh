# Shared by compare-renderers.sh and fidelity.sh (sourced): one EMF rendered to a PNG of a
# given width by qrptool or by a reference renderer, and the measures that compare two
# renderings. Needs QRPTOOL set for the qrp renderer, and ImageMagick.
#   qrp  qrptool render
#   e2s  emf2svg-conv, then rsvg-convert           (apt: emf2svg librsvg2-bin)
#   ink  Inkscape's EMF import                      (apt: inkscape)
#   lo   LibreOffice Draw to PDF, then the picture cut out by pdftoppm
#        (apt: libreoffice-draw-nogui poppler-utils)

have() { command -v "$1" >/dev/null 2>&1; }

# The reference renderers installed here, in the order e2s ink lo.
reference_renderers() {
  local tools=()
  have emf2svg-conv && have rsvg-convert && tools+=(e2s)
  have inkscape && tools+=(ink)
  have soffice && tools+=(lo)
  echo "${tools[@]}"
}

# render_lo WIDTH OUT_DIR EMF...: LibreOffice renderings of many files, OUT_DIR/NAME.png
# each (or OUT itself for one EMF when OUT ends in .png). One soffice process converts
# them all to PDF (starting it takes longer than converting a file); Draw centres each
# picture on an A4 page, shrunk to fit its margins, and pdftoppm cuts it out at the resolution that
# makes it WIDTH pixels wide. The status is 0 when every file came out.
render_lo() {
  local w=$1 out=$2 tmp f name target rc=0
  shift 2
  tmp=$(mktemp -d)
  timeout $((60 + 10 * $#)) soffice -env:UserInstallation=file://$tmp/profile --headless --convert-to pdf \
    --outdir "$tmp" "$@" >/dev/null 2>&1
  for f in "$@"; do
    name=$(basename "$f" .emf)
    target=$out/$name.png
    [[ "$out" == *.png ]] && target=$out
    read -r DPI CX CY CW CH < <(python3 - "$f" "$w" <<'PY'
import struct, sys
l, t, r, b = struct.unpack_from('<4i', open(sys.argv[1], 'rb').read(40), 24)
W = int(sys.argv[2]); gw, gh = abs(r - l) + 1, abs(b - t) + 1      # frame, 0.01 mm
pw, ph = 21000, 29700                                               # A4, 0.01 mm
# A picture that does not fit inside the 10 mm margins is shrunk to fit them.
s = min(1.0, (pw - 2000) / gw, (ph - 2000) / gh); gw *= s; gh *= s; k = W / gw  # px per 0.01 mm
print(f"{k * 2540:.4f}", round((pw - gw) / 2 * k), round((ph - gh) / 2 * k), W, max(1, round(gh * k)))
PY
)
    if [ -s "$tmp/$name.pdf" ] && pdftoppm -r "$DPI" -x "$CX" -y "$CY" -W "$CW" -H "$CH" -png -singlefile \
        "$tmp/$name.pdf" "${target%.png}" 2>/dev/null; then :; else rm -f "$target"; rc=1; fi
  done
  rm -rf "$tmp"
  return $rc
}

# render_ink_batch WIDTH OUT_DIR EMF...: Inkscape renderings of many files in one process,
# OUT_DIR/NAME.png each (Inkscape writes beside its inputs: they are linked into a
# temporary folder). The status is 0 when every file came out.
render_ink_batch() {
  local w=$1 out=$2 tmp f name rc=0
  shift 2
  tmp=$(mktemp -d)
  for f in "$@"; do ln -s "$(realpath "$f")" "$tmp/$(basename "$f")"; done
  timeout $((60 + 20 * $#)) inkscape --export-type=png --export-width="$w" "$tmp"/*.emf >/dev/null 2>&1
  for f in "$@"; do
    name=$(basename "$f" .emf)
    if [ -s "$tmp/$name.png" ]; then mv "$tmp/$name.png" "$out/$name.png"; else rm -f "$out/$name.png"; rc=1; fi
  done
  rm -rf "$tmp"
  return $rc
}

# render TOOL IN OUT WIDTH: the exit status is the tool's; OUT is missing on failure.
render() {
  local tool=$1 in=$2 out=$3 w=$4 rc
  case "$tool" in
    qrp) "$QRPTOOL" render "$in" --width "$w" -o "$out" 2>/dev/null; rc=$? ;;
    e2s)
      local svg
      svg=$(mktemp --suffix=.svg)
      timeout 120 emf2svg-conv -p -w "$w" -i "$in" -o "$svg" 2>/dev/null && rsvg-convert -w "$w" -o "$out" "$svg" 2>/dev/null
      rc=$?
      rm -f "$svg" ;;
    ink) timeout 120 inkscape --export-type=png --export-filename="$out" --export-width="$w" "$in" >/dev/null 2>&1; rc=$? ;;
    lo) render_lo "$w" "$out" "$in"; rc=$? ;;
    *) return 2 ;;
  esac
  [ "$rc" -eq 0 ] && [ -s "$out" ] || { rm -f "$out"; return 1; }
}

# compare_images OURS REF: prints "INK MAE", or "- -" when REF is missing.
# Both images are flattened on white, the reference scaled to our size, both turned grey
# and blurred by a pixel (antialiasing and half-pixel offsets are not differences). Then
#   INK = 1 - (pixels whose grey differs by more than 25%) / (dark pixels of one + dark pixels of
#         the other), clipped to 0..1: identical ink 1, ink in different places 0; blank
#         margins do not count, so a sparse page cannot look similar just by being white;
#   MAE = the mean absolute grey difference, 0..1 (0 for identical images).
compare_images() {
  local ours=$1 ref=$2
  [ -s "$ours" ] && [ -s "$ref" ] || { echo "- -"; return; }
  local size inkA inkB mae diff
  size=$(identify -format '%wx%h' "$ours")
  # One ImageMagick run: the ink of each, then the mean and the count of large differences.
  read -r inkA inkB mae diff < <(convert \
    \( "$ours" -background white -flatten -colorspace gray -blur 0x1 \) \
    \( "$ref" -background white -flatten -resize "${size}!" -colorspace gray -blur 0x1 \) \
    \( -clone 0 -threshold 90% -negate -format '%[fx:round(mean*w*h)] ' -write info: +delete \) \
    \( -clone 1 -threshold 90% -negate -format '%[fx:round(mean*w*h)] ' -write info: +delete \) \
    -compose difference -composite \( +clone -format '%[fx:mean] ' -write info: +delete \) \
    -threshold 25% -format '%[fx:round(mean*w*h)]\n' info:)
  awk -v d="$diff" -v a="$inkA" -v b="$inkB" -v m="$mae" 'BEGIN {
    s = a + b == 0 ? 1 : 1 - d / (a + b); if (s < 0) s = 0; if (s > 1) s = 1
    printf "%.3f %.4f\n", s, m }'
}

# median_columns TSV: the median of every numeric column from the second on.
median_columns() {
  awk -F'\t' 'NR == 1 { for (i = 2; i <= NF; ++i) head[i] = $i; n = NF; next }
    { for (i = 2; i <= NF; ++i) if ($i != "-") { v[i, ++c[i]] = $i } }
    END {
      for (i = 2; i <= n; ++i) {
        if (!c[i]) { printf "%-10s  -\n", head[i]; continue }
        m = c[i]; for (j = 1; j <= m; ++j) a[j] = v[i, j] + 0
        for (j = 2; j <= m; ++j) { x = a[j]; k = j - 1; while (k > 0 && a[k] > x) { a[k + 1] = a[k]; --k } a[k + 1] = x }
        printf "%-10s  median %s over %d files\n", head[i], (m % 2 ? a[(m + 1) / 2] : (a[m / 2] + a[m / 2 + 1]) / 2), m
      }
    }' "$1"
}
