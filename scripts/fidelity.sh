#!/usr/bin/env bash
# fidelity.sh [--install] [--fresh] QRPTOOL EMF_DIR [WIDTH] [OUT_DIR]
#
# Renders every EMF in EMF_DIR WIDTH pixels wide (default 600) with qrptool and with the
# two reference renderers, LibreOffice Draw and Inkscape, and writes OUT_DIR/fidelity.tsv:
# per file, the similarity of qrptool's rendering to each reference (INK, 1 = the same ink;
# MAE, 0 = the same grey levels; see renderers.sh) and a difference score: how far ours is
# from the reference it is closest to (1 - the higher INK), so that a file scores high only
# when ours differs from both. Prints the 20 files with the highest score.
#
# No reference is an oracle: Inkscape drops rotated text, LibreOffice has its own font
# substitutions. The list says where to look, not who is wrong.
#
# References are kept in OUT_DIR/{lo,ink} and reused on the next run (the references take
# seconds a file), so a run after a change to the player only renders ours again;
# --fresh renders them again too. --install installs the references first (root).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/renderers.sh"

fresh=0
while [ $# -gt 0 ]; do
  case "$1" in
    --install) "$here/setup-deps.sh" --fidelity || exit 1; shift ;;
    --fresh) fresh=1; shift ;;
    *) break ;;
  esac
done
usage="usage: $0 [--install] [--fresh] QRPTOOL EMF_DIR [WIDTH] [OUT_DIR]"
QRPTOOL=${1:?$usage}
DIR=${2:?$usage}
W=${3:-600}
OUT=${4:-fidelity-out}
mkdir -p "$OUT"/{qrp,lo,ink}

refs=()
have inkscape && refs+=(ink)
have soffice && refs+=(lo)
[ ${#refs[@]} -gt 0 ] || { echo "fidelity: neither soffice nor inkscape is installed (try --install)" >&2; exit 1; }
echo "references: ${refs[*]}" >&2

# The references first, in batches: one process for many files (starting either takes
# longer than drawing a file). An empty file marks a reference that failed, so that it is
# not tried again.
for t in "${refs[@]}"; do
  todo=()
  for f in "$DIR"/*.emf; do
    name=$(basename "$f" .emf)
    { [ "$fresh" -eq 1 ] || [ ! -e "$OUT/$t/$name.png" ]; } && todo+=("$f")
  done
  for ((i = 0; i < ${#todo[@]}; i += 40)); do
    echo "$t: files $((i + 1)) to $((i + 40 < ${#todo[@]} ? i + 40 : ${#todo[@]})) of ${#todo[@]}" >&2
    batch=ok
    if [ "$t" = lo ]; then
      render_lo "$W" "$OUT/lo" "${todo[@]:i:40}" || batch=failed
    else
      render_ink_batch "$W" "$OUT/ink" "${todo[@]:i:40}" || batch=failed
    fi
    for f in "${todo[@]:i:40}"; do
      name=$(basename "$f" .emf)
      # One file that crashes the renderer loses its whole batch: those go again alone.
      [ -e "$OUT/$t/$name.png" ] || { [ $batch = failed ] && render "$t" "$f" "$OUT/$t/$name.png" "$W"; } ||
        : >"$OUT/$t/$name.png"
    done
  done
done

TSV="$OUT/fidelity.tsv"
printf 'file\tink_lo\tmae_lo\tink_ink\tmae_ink\tscore\n' >"$TSV"
for f in "$DIR"/*.emf; do
  name=$(basename "$f" .emf)
  render qrp "$f" "$OUT/qrp/$name.png" "$W"
  read -r ink_lo mae_lo < <(compare_images "$OUT/qrp/$name.png" "$OUT/lo/$name.png")
  read -r ink_ink mae_ink < <(compare_images "$OUT/qrp/$name.png" "$OUT/ink/$name.png")
  score=$(awk -v a="$ink_lo" -v b="$ink_ink" 'BEGIN {
    best = -1; if (a != "-") best = a; if (b != "-" && b > best) best = b
    if (best < 0) print "-"; else printf "%.3f\n", 1 - best }')
  printf '%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "$ink_lo" "$mae_lo" "$ink_ink" "$mae_ink" "$score" >>"$TSV"
done

median_columns "$TSV"
echo
echo "the 20 files where qrptool differs most from both references (score = 1 - best INK):"
tail -n +2 "$TSV" | awk -F'\t' '$6 != "-"' | sort -t$'\t' -k6,6gr | head -20 |
  awk -F'\t' '{ printf "  %-50s score %s  ink lo %s ink %s  mae lo %s ink %s\n", $1, $6, $2, $4, $3, $5 }'
