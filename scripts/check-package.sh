#!/usr/bin/env bash
# Builds the Debian package and checks it with the distribution's own tools: lintian, the
# desktop entry, the AppStream data and the MIME type as desktops read them, the font
# packages it recommends; then runs the programs from the unpacked package on the sample
# report.
#   scripts/check-package.sh [BUILD_DIR]    (default build/, as ./test.sh leaves it)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/env.sh

fail() { echo "check-package: $*" >&2; exit 1; }
# grep reads to the end here: under pipefail, grep -q would let the writer die of SIGPIPE.

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
cmake --build "$build" --target package >"$build/package.log" 2>&1 || { cat "$build/package.log"; fail "CPack failed"; }
deb=$build/qrpview_${version}_amd64.deb
[ -f "$deb" ] || fail "$deb was not made"

# lintian warns about running as root; its findings are what count.
lintian --fail-on error,warning "$deb" 2> >(grep -v 'root privileges' >&2)

# Unpacked beside the build, not in /tmp, which may be mounted noexec.
scratch=$(mktemp -d "$(realpath "$build")/package-check-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg -x "$deb" "$root"
share=$root/usr/share

desktop-file-validate "$share/applications/qrpview.desktop"
verdict=$(appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml 2>&1) || fail "AppStream data: $verdict"
# update-mime-database complains on stderr about anything it cannot use.
mkdir -p "$scratch/mime/packages"
cp "$share/mime/packages/qrpview.xml" "$scratch/mime/packages/"
complaints=$(XDG_DATA_DIRS=$scratch update-mime-database "$scratch/mime" 2>&1 >/dev/null)
[ -z "$complaints" ] || fail "MIME type: $complaints"
[ -f "$scratch/mime/application/x-qrp-report.xml" ] || fail "the MIME database has no application/x-qrp-report"

# Every font the font mapping puts in place comes from a package the package recommends.
recommends=$(dpkg-deb -f "$deb" Recommends)
grep -o '<edit name="family"[^>]*><string>[^<]*' "$share/qrpview/fonts/qrpview-fonts.conf" | sed 's/.*<string>//' |
  sort -u | while read -r family; do
  files=$(fc-list -f '%{file}\n' ":family=$family")
  [ -n "$files" ] || fail "no installed font for $family"
  packages=$(for file in $files; do dpkg -S "$(realpath "$file")" | cut -d: -f1; done | sort -u)
  for package in $packages; do
    [[ ", $recommends," == *", $package,"* ]] && continue 2
  done
  fail "$family is in ${packages//$'\n'/ }, none of which the package recommends"
done

# The programs from the unpacked package, with its own library, print module and fonts.
sample=$build/samples/sample.qrp
bin=$root/usr/bin
libraries=$(ldd "$bin/qrpview") || fail "ldd $bin/qrpview: $libraries"
loaded=$(sed -n 's/^[[:space:]]*libqrpviewer\.so[^ ]* => \(.*\) (0x.*/\1/p' <<<"$libraries")
[ -n "$loaded" ] && [ "$(realpath "$loaded")" = "$(realpath "$root/usr/lib/libqrpviewer.so.0")" ] ||
  fail "qrpview does not load the package's library:"$'\n'"$libraries"
[ "$(env -u DISPLAY -u QT_QPA_PLATFORM "$bin/qrpview" --version)" = "qrpview $version" ] || fail "qrpview --version"
[ "$("$bin/qrptool" --version)" = "qrptool $version" ] || fail "qrptool --version"
"$bin/qrptool" info "$sample" | grep '^pages: ' >/dev/null || fail "qrptool info"
"$bin/qrptool" thumbnail "$sample" "$scratch/thumbnail.png" 256
file -b "$scratch/thumbnail.png" | grep '^PNG image data, 181 x 256' >/dev/null || fail "qrptool thumbnail"
"$bin/qrptool" pdf "$sample" -o "$scratch/sample.pdf" >/dev/null
file -b "$scratch/sample.pdf" | grep '^PDF document' >/dev/null || fail "qrptool pdf"
echo "check-package: $deb is sound"
