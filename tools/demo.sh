#!/usr/bin/env bash
# Builds the updater and runs a whole update against the built-in simulated meter.
# Extra arguments go to z82-update (for example --plan, or --simulate="--plan-type 4").
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
"$raiz/tools/deps.sh"
cmake -S "$raiz" -B "$raiz/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DZ82_TESTS=OFF -DZ82_BENCH=OFF -DZ82_GUI=OFF > /dev/null
cmake --build "$raiz/build-release" --target z82-update z82-meter-sim
cd "$raiz/build-release"
if [ $# -eq 0 ]; then set -- --simulate --yes; fi
exec ./z82-update "$@"
