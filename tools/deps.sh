#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Usage: tools/deps.sh [gui] [bench] [wine] [fuzz] [paquete]
set -euo pipefail

paquetes=(build-essential cmake ninja-build googletest libgtest-dev libgmock-dev srecord
  nlohmann-json3-dev)
for extra in "$@"; do
  case "$extra" in
    gui) paquetes+=(qt6-base-dev libgl-dev fonts-dejavu-core) ;;
    bench) paquetes+=(libbenchmark-dev valgrind) ;;
    wine) paquetes+=(g++-mingw-w64-x86-64 wine wine64) ;;
    fuzz) paquetes+=(clang libclang-rt-14-dev) ;;
    paquete) paquetes+=(lintian appstream) ;;
  esac
done

faltan=()
for p in "${paquetes[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
done
if [ ${#faltan[@]} -gt 0 ]; then
  echo "Installing: ${faltan[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${faltan[@]}"
fi
