#!/usr/bin/env bash
# The builds a user gets from a plain `cmake -S . -B DIR -DCMAKE_BUILD_TYPE=TYPE`: no preset,
# CMake's default generator, the distribution's compiler, warnings shown but not errors.
# Builds Release (build-plain/) and RelWithDebInfo (build-plain-relwithdebinfo/), tests
# included, and runs their tests except the real-time pseudo-terminal runs (Cli_pty.*,
# Corte_pty.*: a minute or more of wall-clock time each, run by tools/test.sh already).
# Usage: tools/build_plain.sh [TYPE...]      (default: Release RelWithDebInfo)
# Z82_JOBS parallel jobs (default: the machine's processors).
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
"$raiz/tools/deps.sh" gui
trabajos="${Z82_JOBS:-$(nproc)}"
lentas='^(Cli_pty|Corte_pty)\.'

if [ $# -eq 0 ]; then set -- Release RelWithDebInfo; fi
cd "$raiz"
for tipo in "$@"; do
  dir=build-plain
  [ "$tipo" = Release ] || dir="build-plain-$(echo "$tipo" | tr '[:upper:]' '[:lower:]')"
  echo "== plain $tipo build in $dir =="
  inicio=$SECONDS
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$tipo" > /dev/null
  cmake --build "$dir" -j "$trabajos"
  ctest --test-dir "$dir" -j "$trabajos" --output-on-failure -E "$lentas"
  echo "== plain $tipo: $((SECONDS - inicio)) s =="
done
