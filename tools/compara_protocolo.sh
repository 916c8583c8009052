#!/usr/bin/env bash
# Shows that a change moved no byte on the wire: builds the fault campaign's program at a
# reference commit and at the working tree, then compares
#   - every byte, in order (times aside), of a whole update without faults of a meter that
#     needs every item (z82-campana --protocol-trace), and
#   - the outcome of each of the fault campaign's seeds 1 to 200.
# Usage: tools/compara_protocolo.sh [REF] [OTHER] [SEEDS]
#   REF defaults to HEAD; OTHER is a second commit, or the working tree when left out or
#   given as "."; SEEDS defaults to 200.
# Exit status 0 when both agree; the differences are printed otherwise.
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
ref="${1:-HEAD}"
otro="${2:-.}"
semillas="${3:-200}"
trabajo="$raiz/build-protocolo"
trabajos="${Z82_JOBS:-$(nproc)}"
"$raiz/tools/deps.sh" > /dev/null

mkdir -p "$trabajo"
fuente_de() {  # commit -> a folder holding its tree
  local commit carpeta
  commit="$(git -C "$raiz" rev-parse --verify "$1^{commit}")"
  carpeta="$trabajo/fuente-${commit:0:12}"
  if [ ! -d "$carpeta" ]; then
    mkdir -p "$carpeta.tmp"
    git -C "$raiz" archive "$commit" | tar -x -C "$carpeta.tmp"
    mv "$carpeta.tmp" "$carpeta"
  fi
  echo "$carpeta"
}
fuente_ref="$(fuente_de "$ref")"
if [ "$otro" = "." ]; then
  fuente_otra="$raiz"
  nombre_otra="working tree"
else
  fuente_otra="$(fuente_de "$otro")"
  nombre_otra="$otro"
fi

construir() {  # source folder, build folder
  # Warnings are not what is compared here: a compiler's false alarm at -O3 in an old tree
  # must not stop the comparison.
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZ82_GUI=OFF -DZ82_TESTS=OFF \
    -DZ82_WERROR=OFF > /dev/null
  if ! cmake --build "$2" -j "$trabajos" --target z82-campana > "$2.log" 2>&1; then
    tail -n 30 "$2.log"
    echo "the campaign program does not build in $1"
    exit 2
  fi
}
recorrer() {  # build folder, name of the results
  "$1/bench/z82-campana" --protocol-trace "$trabajo/$2.traza"
  # One line a seed, in seed order (two runs at a time finish in either order). The real
  # time of a run is the machine's; everything else must agree.
  "$1/bench/z82-campana" --runs "$semillas" --seed 1 --jobs 2 --verbose |
    grep -A1 '^seed ' | grep -v '^--$' | paste - - | sed -E 's/, [0-9.]+ s real\)/)/' |
    sort -k2,2n > "$trabajo/$2.desenlaces" || true
}

echo "== reference $ref =="
construir "$fuente_ref" "$trabajo/ref-$(basename "$fuente_ref")"
recorrer "$trabajo/ref-$(basename "$fuente_ref")" ref
echo "== $nombre_otra =="
construir "$fuente_otra" "$trabajo/actual-$(basename "$fuente_otra")"
recorrer "$trabajo/actual-$(basename "$fuente_otra")" actual

bien=0
if cmp -s "$trabajo/ref.traza" "$trabajo/actual.traza"; then
  echo "bytes of a whole update: identical ($(wc -l < "$trabajo/actual.traza") lines)"
else
  echo "bytes of a whole update: DIFFERENT"
  diff "$trabajo/ref.traza" "$trabajo/actual.traza" | head -n 20 || true
  bien=1
fi
if [ ! -s "$trabajo/actual.desenlaces" ]; then
  echo "campaign outcomes: none recorded"
  bien=1
elif cmp -s "$trabajo/ref.desenlaces" "$trabajo/actual.desenlaces"; then
  echo "campaign outcomes of seeds 1 to $semillas: identical"
else
  echo "campaign outcomes: DIFFERENT"
  diff "$trabajo/ref.desenlaces" "$trabajo/actual.desenlaces" | head -n 20 || true
  bien=1
fi
exit "$bien"
