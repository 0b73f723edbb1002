#!/usr/bin/env bash
# compare-renderers.sh QRPTOOL EMF_DIR [WIDTH] [OUT_DIR]
#
# Renders every EMF in EMF_DIR to a PNG WIDTH pixels wide (default 1000) with qrptool and
# with the reference renderers that are installed:
#   e2s  emf2svg-conv, then rsvg-convert           (apt: emf2svg librsvg2-bin)
#   ink  Inkscape's EMF import                      (apt: inkscape)
#   lo   LibreOffice Draw, cropped to the picture   (apt: libreoffice-draw-nogui)
# and writes OUT_DIR/compare.tsv: per file, the wall time of each renderer in ms and the
# similarity of qrptool's rendering to each reference, then prints medians.
#
# Similarity: both images are flattened on white, scaled to qrptool's size and blurred by a
# pixel (antialiasing and half-pixel offsets are not differences); then
#   1 - (pixels differing by more than 25%) / (dark pixels of one + dark pixels of other)
# clipped to 0..1. Identical ink gives 1, ink in different places 0; blank margins do not
# count, so a sparse page cannot look similar just by being white. Needs ImageMagick.
set -uo pipefail

QRPTOOL=${1:?usage: $0 QRPTOOL EMF_DIR [WIDTH] [OUT_DIR]}
DIR=${2:?usage: $0 QRPTOOL EMF_DIR [WIDTH] [OUT_DIR]}
W=${3:-1000}
OUT=${4:-compare-out}
mkdir -p "$OUT"/{qrp,e2s,ink,lo}

have() { command -v "$1" >/dev/null 2>&1; }
now_ns() { date +%s%N; }

# render TOOL IN OUT: one reference rendering; the exit status is the tool's.
render() {
  local tool=$1 in=$2 out=$3
  case "$tool" in
    qrp) "$QRPTOOL" render "$in" --width "$W" -o "$out" 2>/dev/null ;;
    e2s)
      local svg
      svg=$(mktemp --suffix=.svg)
      timeout 120 emf2svg-conv -p -w "$W" -i "$in" -o "$svg" 2>/dev/null && rsvg-convert -w "$W" -o "$out" "$svg" 2>/dev/null
      local rc=$?
      rm -f "$svg"
      return $rc ;;
    ink) timeout 120 inkscape --export-type=png --export-filename="$out" --export-width="$W" "$in" >/dev/null 2>&1 ;;
    lo)
      # Draw centres a metafile on an A4 page (shrunk to fit): render the page at the scale
      # that makes the picture W px wide, then crop the picture out.
      local geometry tmp png rc
      geometry=$(python3 - "$in" "$W" <<'PY'
import struct, sys
l, t, r, b = struct.unpack_from('<4i', open(sys.argv[1], 'rb').read(40), 24)
W = int(sys.argv[2]); gw, gh = abs(r - l) + 1, abs(b - t) + 1
pw, ph = 21000, 29700
s = min(1.0, pw / gw, ph / gh); gw *= s; gh *= s; k = W / gw
print(round(pw * k), round(ph * k), round((pw - gw) / 2 * k), round((ph - gh) / 2 * k), W, round(gh * k))
PY
)
      read -r PW PH CX CY CW CH <<<"$geometry"
      tmp=$(mktemp -d)
      timeout 180 soffice -env:UserInstallation=file://$tmp/profile --headless \
        --convert-to "png:draw_png_Export:{\"PixelWidth\":{\"type\":\"long\",\"value\":\"$PW\"},\"PixelHeight\":{\"type\":\"long\",\"value\":\"$PH\"}}" \
        --outdir "$tmp" "$in" >/dev/null 2>&1
      rc=$?
      png=$(ls "$tmp"/*.png 2>/dev/null | head -1)
      if [ -n "$png" ]; then convert "$png" -crop "${CW}x${CH}+${CX}+${CY}" +repage "$out" || rc=1; else rc=1; fi
      rm -rf "$tmp"
      return $rc ;;
  esac
}

# similarity OURS REF: prints the measure described above, or "-" when REF is missing.
similarity() {
  local ours=$1 ref=$2
  [ -s "$ref" ] || { echo "-"; return; }
  local size a b diff inkA inkB
  size=$(identify -format '%wx%h' "$ours")
  a=$(mktemp --suffix=.png); b=$(mktemp --suffix=.png)
  convert "$ours" -background white -flatten -colorspace gray -blur 0x1 "$a"
  convert "$ref" -background white -flatten -resize "${size}!" -colorspace gray -blur 0x1 "$b"
  diff=$(compare -metric AE -fuzz 25% "$a" "$b" null: 2>&1 | cut -d' ' -f1)
  inkA=$(convert "$a" -threshold 90% -negate -format '%[fx:round(mean*w*h)]' info:)
  inkB=$(convert "$b" -threshold 90% -negate -format '%[fx:round(mean*w*h)]' info:)
  rm -f "$a" "$b"
  awk -v d="$diff" -v a="$inkA" -v b="$inkB" 'BEGIN {
    if (a + b == 0) { print "1.000"; exit }
    s = 1 - d / (a + b); if (s < 0) s = 0; if (s > 1) s = 1; printf "%.3f\n", s }'
}

tools=(qrp)
have emf2svg-conv && have rsvg-convert && tools+=(e2s)
have inkscape && tools+=(ink)
have soffice && tools+=(lo)
echo "renderers: ${tools[*]}" >&2

TSV="$OUT/compare.tsv"
printf 'file\tms_qrp\tms_e2s\tms_ink\tms_lo\tsim_e2s\tsim_ink\tsim_lo\n' >"$TSV"
for f in "$DIR"/*.emf; do
  name=$(basename "$f" .emf)
  declare -A ms=([qrp]=- [e2s]=- [ink]=- [lo]=-)
  for t in "${tools[@]}"; do
    start=$(now_ns)
    if render "$t" "$f" "$OUT/$t/$name.png" && [ -s "$OUT/$t/$name.png" ]; then
      ms[$t]=$(( ($(now_ns) - start) / 1000000 ))
    else
      rm -f "$OUT/$t/$name.png"
    fi
  done
  sims=()
  for t in e2s ink lo; do
    if [ -s "$OUT/qrp/$name.png" ]; then sims+=("$(similarity "$OUT/qrp/$name.png" "$OUT/$t/$name.png")"); else sims+=(-); fi
  done
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "${ms[qrp]}" "${ms[e2s]}" "${ms[ink]}" "${ms[lo]}" \
    "${sims[0]}" "${sims[1]}" "${sims[2]}" >>"$TSV"
done

# Medians of every column over the files that have a value.
awk -F'\t' 'NR == 1 { for (i = 2; i <= NF; ++i) head[i] = $i; n = NF; next }
  { for (i = 2; i <= NF; ++i) if ($i != "-") { v[i, ++c[i]] = $i } }
  END {
    for (i = 2; i <= n; ++i) {
      if (!c[i]) { printf "%-8s  -\n", head[i]; continue }
      m = c[i]; for (j = 1; j <= m; ++j) a[j] = v[i, j] + 0
      for (j = 2; j <= m; ++j) { x = a[j]; k = j - 1; while (k > 0 && a[k] > x) { a[k + 1] = a[k]; --k } a[k + 1] = x }
      printf "%-8s  median %s over %d files\n", head[i], (m % 2 ? a[(m + 1) / 2] : (a[m / 2] + a[m / 2 + 1]) / 2), m
    }
  }' "$TSV"
