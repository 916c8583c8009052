#!/usr/bin/env bash
# Builds the libFuzzer targets (Clang, ASan, UBSan) and runs them, one at a time.
#
#   tools/fuzz.sh --ci                   every target for 25 s from its seeds (CI); fails on
#                                        any finding. Z82_FUZZ_SEGUNDOS changes the 25.
#   tools/fuzz.sh TARGET [SECONDS]       one target (hex, idiomas, planes, medidor), an hour
#                                        by default; its corpus grows in build-fuzz/corpus/
#   tools/fuzz.sh TARGET --runs N        one target for N executions
#   tools/fuzz.sh --build DIR ...        use the fuzz build in DIR as it is (CTest runs
#                                        --build DIR --ci-one TARGET SECONDS)
#   tools/fuzz.sh --list                 the targets
#
# Findings (crash-*, timeout-*, leak-*) go to BUILD/hallazgos/TARGET/; replay one with
#   BUILD/fuzz/fuzz_TARGET FILE
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
build="$raiz/build-fuzz"
construir=1
objetivos=(hex idiomas planes medidor)

if [ "${1:-}" = "--build" ]; then
  build="$2"
  construir=0
  shift 2
fi
case "${1:-}" in
  --list) printf '%s\n' "${objetivos[@]}"; exit 0 ;;
  "" | -h | --help) sed -n '2,15p' "$0"; exit 0 ;;
esac

if [ "$construir" = 1 ]; then
  "$raiz/tools/deps.sh" fuzz
  (cd "$raiz" && cmake -S "$raiz" -B "$build" --preset fuzz > /dev/null)
  cmake --build "$build" -j "${Z82_JOBS:-2}" --target \
    fuzz_hex fuzz_idiomas fuzz_planes fuzz_medidor semillas_fuzz
fi

# Per target: longest input and the time one input may take (real seconds).
opciones() {
  case "$1" in
    medidor) echo "-max_len=8192 -timeout=60" ;;
    idiomas) echo "-max_len=8192 -timeout=20" ;;
    planes) echo "-max_len=16384 -timeout=20" ;;
    *) echo "-max_len=8192 -timeout=20" ;;
  esac
}

# correr TARGET CORPUS LIMIT...: runs one target, prints its executions and speed.
correr() {
  local t="$1" corpus="$2"
  shift 2
  local hallazgos="$build/hallazgos/$t" registro
  mkdir -p "$corpus" "$hallazgos"
  registro="$(mktemp)"
  local inicio=$SECONDS estado=0
  # shellcheck disable=SC2046
  "$build/fuzz/fuzz_$t" $(opciones "$t") -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$hallazgos/" "$@" "$corpus" "$build/fuzz/semillas/$t" \
    > "$registro" 2>&1 || estado=$?
  local ejecuciones velocidad
  ejecuciones="$(grep -o 'number_of_executed_units: *[0-9]*' "$registro" | grep -o '[0-9]*$' || true)"
  velocidad="$(grep -o 'average_exec_per_sec: *[0-9]*' "$registro" | grep -o '[0-9]*$' || true)"
  printf '%-8s %12s executions %8s exec/s %6d s  corpus %s\n' "$t" "${ejecuciones:-?}" \
    "${velocidad:-?}" $((SECONDS - inicio)) "$(find "$corpus" -type f | wc -l)"
  if [ "$estado" -eq 72 ]; then
    echo "fuzz_$t interrupted" >&2
  elif [ "$estado" -ne 0 ]; then
    echo "fuzz_$t found a fault (exit $estado); the input is in $hallazgos/:" >&2
    grep -E 'ERROR|SUMMARY|fuzz_[a-z]+:|exchange still|Test unit written' "$registro" | head -20 >&2
    rm -f "$registro"
    return 1
  fi
  rm -f "$registro"
}

if [ "$1" = "--ci" ]; then
  segundos="${Z82_FUZZ_SEGUNDOS:-25}"
  temporal="$(mktemp -d)"
  trap 'rm -rf "$temporal"' EXIT
  fallos=0
  for t in "${objetivos[@]}"; do
    correr "$t" "$temporal/$t" -max_total_time="$segundos" || fallos=1
  done
  exit "$fallos"
fi

if [ "$1" = "--ci-one" ]; then
  temporal="$(mktemp -d)"
  trap 'rm -rf "$temporal"' EXIT
  correr "$2" "$temporal/$2" -max_total_time="${3:-25}"
  exit
fi

t="$1"
shift
if [ "${1:-}" = "--runs" ]; then
  correr "$t" "$build/corpus/$t" -runs="$2"
else
  correr "$t" "$build/corpus/$t" -max_total_time="${1:-3600}"
fi
