#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the viewer need.
# Skips apt entirely when everything is already present.
#   --fidelity  also the reference renderers scripts/fidelity.sh compares with (LibreOffice
#               Draw and Inkscape) and LibreOffice Calc, the second reader of the exported
#               workbooks: large, and not needed to build or test
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libxlsxwriter-dev python3-openpyxl
  qt6-base-dev qt6-svg-dev libgl1-mesa-dev libxkbcommon-dev
  libqt6svg6 qt6-qpa-plugins qt6-image-formats-plugins
  xvfb xauth imagemagick poppler-utils openbox xdotool x11-utils
  cups cups-client cups-bsd printer-driver-cups-pdf
  fontconfig fonts-dejavu-core fonts-arphic-uming fonts-arphic-ukai fonts-liberation2 fonts-tlwg-loma-ttf
  librsvg2-bin emf2svg
  acl strace
  dpkg-dev file lintian desktop-file-utils appstream shared-mime-info libglib2.0-bin man-db
  recollcmd
)
[ "${1:-}" = "--fidelity" ] && packages+=(libreoffice-draw-nogui libreoffice-calc-nogui inkscape)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep 'install ok installed' >/dev/null || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (run as root to install): ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 update -qq
apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
