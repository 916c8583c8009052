#!/usr/bin/env bash
# Makes the updater's packages; the last line printed is the package's path.
#
#   tools/package.sh [--build DIR]   the Debian package: z82-update, z82-update-gui (when Qt 6
#                                    is there), z82-meter-sim, the language file, the desktop
#                                    entry, icon and AppStream metainfo, the manual pages, the
#                                    copyright file and changelog, under /usr. Built in
#                                    build-paquete/ (preset paquete), or in the build folder
#                                    DIR, set to install under /usr first.
#                                    tools/check_package.sh checks it.
#   tools/package.sh windows         the Windows ZIP: z82-update-gui.exe, z82-update.exe,
#                                    idiomas.ini and a README,
#                                    cross-built with MinGW-w64 in build-paquete-windows/.
# Z82_JOBS parallel jobs (default: the machine's processors).
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
trabajos="${Z82_JOBS:-$(nproc)}"
modo=deb
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    windows) modo=windows ;;
    deb) modo=deb ;;
    --build) build="$(cd "$2" && pwd)"; shift ;;
    *) sed -n '2,14p' "$0"; exit 2 ;;
  esac
  shift
done
cd "$raiz"

if [ "$modo" = deb ]; then
  # Qt 6 for the window; dpkg-shlibdeps (build-essential) finds the libraries it needs.
  tools/deps.sh gui
  if [ -z "$build" ]; then
    cmake --preset paquete > /dev/null
    build="$raiz/build-paquete"
  else
    cmake -S "$raiz" -B "$build" -DCMAKE_INSTALL_PREFIX=/usr > /dev/null
  fi
  cmake --build "$build" -j "$trabajos"
  (cd "$build" && cpack -G DEB > /dev/null)
  ls -t "$build"/z82-updater_*.deb | head -n 1
  exit 0
fi

# Windows: the image generator runs on this machine, the program is cross-built.
command -v x86_64-w64-mingw32-g++-posix > /dev/null || tools/deps.sh wine
build="$raiz/build-paquete-windows"
nativo="$build/nativo"
cmake -S "$raiz" -B "$nativo" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DZ82_TESTS=OFF -DZ82_BENCH=OFF -DZ82_GUI=OFF > /dev/null
cmake --build "$nativo" -j "$trabajos" --target z82_generador
# Warnings are not errors here, as in the Linux package: the Windows tests' build has them as
# errors, and GCC 12 at -O3 warns of overlaps in std::string that cannot happen.
cmake -S "$raiz" -B "$build" --preset windows -DCMAKE_BUILD_TYPE=Release -DZ82_TESTS=OFF -DZ82_WERROR=OFF \
  -DZ82_GENERADOR="$nativo/data/z82_generador" > /dev/null
cmake --build "$build" -j "$trabajos" --target z82-update z82-update-gui
(cd "$build" && cpack -G ZIP > /dev/null)
ls -t "$build"/z82-updater-*.zip | head -n 1
