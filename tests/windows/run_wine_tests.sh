#!/usr/bin/env bash
# Builds the updater and its engine tests for 64-bit Windows with MinGW-w64 and runs the
# tests under Wine, without a display. Exits non-zero when anything fails.
#
#   tests/windows/run_wine_tests.sh [--e2e] [gtest arguments...]
#
# Z82_WIN_BUILD  build folder (default: build-windows in the checkout)
# Z82_JOBS       parallel compile jobs (default 2)
# Z82_WIN_TIPO   CMake build type of the Windows build (default: none, as the native build)
# --e2e          also run z82-update.exe against z82-meter-sim on COM1 (see probar_extremo_a_extremo)
set -euo pipefail

RAIZ="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${Z82_WIN_BUILD:-$RAIZ/build-windows}"
JOBS="${Z82_JOBS:-2}"
E2E=0
ARGS=()
for a in "$@"; do
    if [[ "$a" == "--e2e" ]]; then E2E=1; else ARGS+=("$a"); fi
done

instalar_lo_que_falta() {
    local faltan=()
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || faltan+=(g++-mingw-w64-x86-64)
    command -v wine >/dev/null || faltan+=(wine)
    [[ -x /usr/lib/wine/wine64 ]] || command -v wine64 >/dev/null || faltan+=(wine64)
    [[ -f /usr/src/googletest/CMakeLists.txt ]] || faltan+=(googletest)
    command -v cmake >/dev/null || faltan+=(cmake)
    command -v ninja >/dev/null || faltan+=(ninja-build)
    if ((${#faltan[@]} > 0)); then
        echo "Installing: ${faltan[*]}"
        local sudo=""
        [[ "$(id -u)" == 0 ]] || sudo="sudo"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${faltan[@]}"
    fi
}

# Programs that run on this machine: the image generator the Windows build needs, and the
# simulated meter for the end-to-end run.
NATIVO="$BUILD/nativo"
compilar_nativo() {
    cmake -S "$RAIZ" -B "$NATIVO" -G Ninja -DCMAKE_BUILD_TYPE="${Z82_WIN_TIPO:-}" \
        -DZ82_TESTS=OFF -DZ82_BENCH=OFF -DZ82_GUI=OFF >/dev/null
    ninja -C "$NATIVO" -j"$JOBS" "$@"
}

compilar() {
    local generador=()
    if grep -q 'z82_generador' "$RAIZ/data/CMakeLists.txt" 2>/dev/null; then
        compilar_nativo z82_generador
        generador=(-DZ82_GENERADOR="$(find "$NATIVO" -type f -name z82_generador -perm -u+x -print -quit)")
    fi
    cmake -S "$RAIZ" -B "$BUILD" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$RAIZ/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE="${Z82_WIN_TIPO:-}" -DZ82_BENCH=OFF -DZ82_GUI=OFF "${generador[@]}"
    ninja -C "$BUILD" -j"$JOBS" z82_tests
}

# A fresh Wine prefix inside the build folder: nothing from an earlier run leaks in.
preparar_wine() {
    export WINEPREFIX="$BUILD/wineprefix"
    export WINEDEBUG=-all
    export WINEARCH=win64
    export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko install prompts
    unset DISPLAY WAYLAND_DISPLAY
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1 || true
    wineserver -w
}

terminar_wine() {
    [[ -n "${WINEPREFIX:-}" ]] && wineserver -k 2>/dev/null || true
}

ejecutar_pruebas() {
    local exe="$BUILD/tests/z82_tests.exe"
    [[ -f "$exe" ]] || { echo "missing $exe"; return 1; }
    wine "$exe" "$@"
}

# The whole update run on Windows: z82-update.exe (Wine) against the simulated meter, which
# runs natively on a pseudo-terminal that Wine shows as COM1. Needs the command-line front
# end (cli/) built for Windows and z82-meter-sim built natively; skipped until both exist.
probar_extremo_a_extremo() {
    ninja -C "$BUILD" -j"$JOBS" z82-update 2>/dev/null || true
    local exe
    exe="$(find "$BUILD" -name 'z82-update.exe' -print -quit)"
    if [[ -z "$exe" ]]; then
        echo "end-to-end: skipped (no z82-update.exe yet)"
        return 0
    fi
    if ! compilar_nativo z82-meter-sim; then
        echo "end-to-end: skipped (z82-meter-sim does not build)"
        return 0
    fi
    local salida="$BUILD/meter-sim.out"
    "$NATIVO/z82-meter-sim" >"$salida" 2>&1 &
    local sim=$!
    local pty=""
    for _ in $(seq 100); do
        pty="$(grep -o '/dev/pts/[0-9]*' "$salida" | head -n1 || true)"
        [[ -n "$pty" ]] && break
        sleep 0.1
    done
    if [[ -z "$pty" ]]; then
        kill "$sim" 2>/dev/null || true
        echo "end-to-end: the simulated meter printed no pseudo-terminal"
        return 1
    fi
    # Wine maps COM ports to devices through this key; the server reads it when it starts.
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$pty" /f >/dev/null
    wineserver -k 2>/dev/null || true
    wineserver -w
    local rc=0
    timeout 600 wine "$exe" --port 1 --yes </dev/null || rc=$?
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    echo "end-to-end: z82-update.exe exit code $rc"
    return "$rc"
}

instalar_lo_que_falta
compilar
trap terminar_wine EXIT
preparar_wine
rc=0
ejecutar_pruebas "${ARGS[@]}" || rc=$?
if ((rc == 0 && E2E == 1)); then
    probar_extremo_a_extremo || rc=$?
fi
exit "$rc"
