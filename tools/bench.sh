#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench/) and prints their figures as one table: the
# start-up scan against srec_info, a whole update under virtual time, and an update over a
# pseudo-terminal against z82-meter-sim at the wire rate (wall time against protocol time,
# CPU time and peak memory of z82-update, peak memory of the Qt window), and eight meters
# updated by one z82-update against the same update of one meter alone.
#
#   tools/bench.sh             the pty runs update the FPGA area only (about 50 s each,
#                              about 2 minutes in all)
#   tools/bench.sh --completa  the pty run is the whole default update (about 8 minutes);
#                              no eight-meter run
#   tools/bench.sh --ocho      the single pty run and the eight-meter run alone (2 minutes)
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
build="${Z82_BENCH_BUILD:-$raiz/build-bench}"
opcion=()
case "${1:-}" in
  "") ;;
  --completa) opcion=(--completa) ;;
  --ocho) opcion=(--ocho) ;;
  *) sed -n '2,12p' "$0"; exit 2 ;;
esac

"$raiz/tools/deps.sh" bench > /dev/null
cmake -S "$raiz" -B "$build" --preset bench > /dev/null
cmake --build "$build" -j "${Z82_JOBS:-2}" --target bench_escaneo bench_actualizacion > /dev/null

cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
escaneo="$("$build/bench/bench_escaneo" 15)"
campo() { sed -n "s/.*$1.*/\\1/p" <<< "$escaneo" | head -1; }

printf 'Machine: %s, nproc %s, %s\n\n' "$cpu" "$(nproc)" "$(uname -sr)"
printf '| %-62s | %-34s |\n' "What" "Figure"
printf '|%s|%s|\n' "$(printf -- '-%.0s' {1..64})" "$(printf -- '-%.0s' {1..36})"
fila() { printf '| %-62s | %-34s |\n' "$1" "$2"; }
fila "start-up scan of the carried image ($(campo 'scan: \([0-9.]* MB\)'))" \
  "$(campo 'runs \([0-9.]* ms\) (best') median, $(campo ', \([0-9]* MB\/s\)')"
fila "srec_info on the same file (process start included)" \
  "$(campo 'srec_info: *median of [0-9]* runs \([0-9.]* ms\)') median"
fila "ratio srec_info / start-up scan" "$(campo 'ratio srec_info \/ start-up scan: \(.*\)')"
"$build/bench/bench_actualizacion" "${opcion[@]}"
