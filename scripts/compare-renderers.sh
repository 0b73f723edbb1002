#!/usr/bin/env bash
# compare-renderers.sh QRPTOOL EMF_DIR [WIDTH] [OUT_DIR]
#
# Renders every EMF in EMF_DIR to a PNG WIDTH pixels wide (default 1000) with qrptool and
# with the reference renderers that are installed:
#   e2s  emf2svg-conv, then rsvg-convert           (apt: emf2svg librsvg2-bin)
#   ink  Inkscape's EMF import                      (apt: inkscape)
#   lo   LibreOffice Draw, cropped to the picture   (apt: libreoffice-draw-nogui)
# (RENDERERS="e2s ink" picks some of them) and writes OUT_DIR/compare.tsv: per file, the wall time of each renderer in ms and the
# similarity of qrptool's rendering to each reference, then prints medians.
#
# Similarity and the renderers: see renderers.sh (the INK measure).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/renderers.sh"

QRPTOOL=${1:?usage: $0 QRPTOOL EMF_DIR [WIDTH] [OUT_DIR]}
DIR=${2:?usage: $0 QRPTOOL EMF_DIR [WIDTH] [OUT_DIR]}
W=${3:-1000}
OUT=${4:-compare-out}
mkdir -p "$OUT"/{qrp,e2s,ink,lo}

now_ns() { date +%s%N; }

read -r -a refs <<<"${RENDERERS:-$(reference_renderers)}"
tools=(qrp "${refs[@]}")
echo "renderers: ${tools[*]}" >&2

TSV="$OUT/compare.tsv"
printf 'file\tms_qrp\tms_e2s\tms_ink\tms_lo\tsim_e2s\tsim_ink\tsim_lo\n' >"$TSV"
for f in "$DIR"/*.emf; do
  name=$(basename "$f" .emf)
  declare -A ms=([qrp]=- [e2s]=- [ink]=- [lo]=-)
  for t in "${tools[@]}"; do
    start=$(now_ns)
    render "$t" "$f" "$OUT/$t/$name.png" "$W" && ms[$t]=$(( ($(now_ns) - start) / 1000000 ))
  done
  sims=()
  for t in e2s ink lo; do
    read -r ink _ < <(compare_images "$OUT/qrp/$name.png" "$OUT/$t/$name.png")
    sims+=("$ink")
  done
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "${ms[qrp]}" "${ms[e2s]}" "${ms[ink]}" "${ms[lo]}" \
    "${sims[0]}" "${sims[1]}" "${sims[2]}" >>"$TSV"
done

median_columns "$TSV"
