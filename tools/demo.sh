#!/usr/bin/env bash
# Builds the updater and runs a whole update against the built-in simulated meter, which
# by default needs every item: memory erase, MPEG4 module, FPGA, firmware with plans, zone.
# The meter runs inside the program ten times faster than real time (about a minute and a
# half); add --real-time to serve it on a pseudo-terminal in real time, as a real meter
# would be (about 15 minutes). Other arguments go to z82-update instead of the default ones
# (for example --plan --simulate, or --simulate="--firmware 1.89.00000" --yes for a short
# update of the FPGA area only).
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
"$raiz/tools/deps.sh"
cd "$raiz"
cmake --preset release > /dev/null
cmake --build --preset release --target z82-update z82-meter-sim
cd "$raiz/build-release"
todo=(--simulate="--mpeg4 0x6E,0" --yes)
if [ $# -eq 0 ]; then
  set -- "${todo[@]}"
elif [ $# -eq 1 ] && [ "$1" = --real-time ]; then
  set -- "${todo[@]}" --real-time
fi
exec ./z82-update "$@"
