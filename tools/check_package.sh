#!/usr/bin/env bash
# Checks the updater's Debian package: lintian on the .deb (any error or warning fails;
# informational tags are shown; packaging/lintian-overrides says which tag is meant), then
# appstreamcli on the window's AppStream metainfo, with the desktop entry and icon it names,
# in the package and once installed (network checks off; any issue but a pedantic one
# fails). Then it runs the installed programs from a folder of their own (no idiomas.ini
# there) and removes the package again: --version, --plan and a whole update of a simulated
# meter that needs only the FPGA area (about 50 s of real time). Every run must succeed and
# show its texts. Installs lintian and appstream when missing. Needs root, or sudo.
# Usage: tools/check_package.sh PACKAGE.deb
set -euo pipefail
deb="$(realpath "$1")"
raiz="$(cd "$(dirname "$0")/.." && pwd)"
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

fallo() {
  echo "FAILED: $*" >&2
  exit 1
}
# A text the window gives empty shows as "***  ***", "->  (--yes)" or ": 1/4".
sin_textos_vacios() {
  if grep -nE '^\s*\*\*\*  \*\*\*\s*$|^\s*->  \(|^\s*: [0-9]' "$1"; then
    fallo "$1 shows an empty text"
  fi
}

"$raiz/tools/deps.sh" paquete

echo "== lintian $(basename "$deb") =="
lintian --display-info --fail-on error,warning "$deb" || fallo "lintian reports errors or warnings"

# The metainfo with the desktop entry and icon it names, as the package lays them out.
arbol="$(mktemp -d)"
dpkg-deb -x "$deb" "$arbol"
if [ -d "$arbol/usr/share/metainfo" ]; then
  echo "== appstreamcli validate-tree (the package's files) =="
  appstreamcli validate-tree --no-net --strict --pedantic "$arbol" ||
    fallo "appstreamcli validate-tree"
fi
rm -rf "$arbol"

echo "== installing $(basename "$deb") =="
if ! $sudo_cmd dpkg -i "$deb"; then
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -f -y -qq --no-install-recommends
fi
trap '$sudo_cmd dpkg -r z82-updater > /dev/null' EXIT

doc=/usr/share/doc/z82-updater
for f in /usr/bin/z82-update /usr/bin/z82-meter-sim /usr/share/z82-updater/idiomas.ini \
  /usr/share/man/man1/z82-update.1.gz /usr/share/man/man1/z82-meter-sim.1.gz \
  $doc/copyright $doc/changelog.Debian.gz; do
  [ -e "$f" ] || fallo "$f is not installed"
done
if [ -e /usr/bin/z82-update-gui ]; then
  id=org.example.z82_updater
  metainfo=/usr/share/metainfo/$id.metainfo.xml
  for f in /usr/share/applications/$id.desktop $metainfo /usr/share/man/man1/z82-update-gui.1.gz \
    /usr/share/icons/hicolor/scalable/apps/z82-update-gui.svg; do
    [ -e "$f" ] || fallo "$f is not installed"
  done
  echo "== appstreamcli validate $metainfo =="
  appstreamcli validate --no-net --strict --pedantic "$metainfo" || fallo "appstreamcli: $metainfo"
  z82-update-gui --version | grep -q '^z82-update-gui [0-9]' || fallo "z82-update-gui --version"
fi

carpeta="$(mktemp -d)"
cd "$carpeta"
solo_fpga='--firmware 1.89.00000'

echo "== z82-update --version =="
z82-update --version | tee version.txt
grep -q '^z82-update [0-9]' version.txt || fallo "--version names no version"
grep -qE '^  firmware +[0-9]+\.[0-9]+' version.txt || fallo "--version names no firmware"

echo "== z82-update --simulate --plan =="
z82-update --simulate="$solo_fpga" --plan | tee plan.txt || fallo "--plan exited with $?"
grep -q '^  - FPGA configurations$' plan.txt || fallo "--plan does not list the FPGA area"
grep -q '^Update allowed: yes$' plan.txt || fallo "--plan does not allow the update"
sin_textos_vacios plan.txt

echo "== z82-update --simulate --yes =="
z82-update --simulate="$solo_fpga" --yes | tee update.txt || fallo "the update exited with $?"
grep -q '^Result: the meter was updated[ .]' update.txt || fallo "the meter was not updated"
# The texts of the installed language file (Spanish).
grep -q 'El medidor se ha actualizado\.' update.txt || fallo "the update shows no texts"
sin_textos_vacios update.txt

cd /
rm -rf "$carpeta"
echo "Package checked."
