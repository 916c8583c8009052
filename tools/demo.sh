#!/usr/bin/env bash
# Builds the updater and runs a whole update against the built-in simulated meter, which
# by default needs every item: memory erase, MPEG4 module, FPGA, firmware with plans, zone.
# Extra arguments go to z82-update instead (for example --plan --simulate, or
# --simulate="--firmware 1.89.00000" --yes for a short update of the FPGA area only).
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
"$raiz/tools/deps.sh"
cd "$raiz"
cmake --preset release > /dev/null
cmake --build --preset release --target z82-update z82-meter-sim
cd "$raiz/build-release"
if [ $# -eq 0 ]; then set -- --simulate="--mpeg4 0x6E,0 --mpeg4-time 30" --yes; fi
exec ./z82-update "$@"
