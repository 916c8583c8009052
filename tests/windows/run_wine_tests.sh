#!/usr/bin/env bash
# Builds the updater, its window and their tests for 64-bit Windows with MinGW-w64 and runs
# them under Wine: the engine tests without a display; the window's tests on a virtual
# display (Xvfb) at 100 % and 150 %, keeping their screenshots in $Z82_WIN_BUILD/capturas/;
# then whole update runs of z82-update.exe and of the window against the simulated meter
# on COM1. Exits non-zero when anything fails.
#
#   tests/windows/run_wine_tests.sh [--no-e2e] [gtest arguments...]
#
# Z82_WIN_BUILD  build folder (default: build-windows in the checkout)
# Z82_JOBS       parallel compile jobs (default 2)
# Z82_WIN_TIPO   CMake build type of the Windows build (default: none, as the native build)
# --no-e2e       only the engine and window tests (the end-to-end part takes a few minutes more)
# --e2e          accepted for older callers: the end-to-end part runs by default
set -euo pipefail

RAIZ="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${Z82_WIN_BUILD:-$RAIZ/build-windows}"
JOBS="${Z82_JOBS:-2}"
E2E=1
ARGS=()
for a in "$@"; do
    case "$a" in
        --e2e) E2E=1 ;;
        --no-e2e) E2E=0 ;;
        *) ARGS+=("$a") ;;
    esac
done

INICIO=$SECONDS
paso() { echo "== [$((SECONDS - INICIO)) s] $*"; }
fallo() {
    echo "FAILED: $*" >&2
    return 1
}

instalar_lo_que_falta() {
    local faltan=()
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || faltan+=(g++-mingw-w64-x86-64)
    command -v wine >/dev/null || faltan+=(wine)
    [[ -x /usr/lib/wine/wine64 ]] || command -v wine64 >/dev/null || faltan+=(wine64)
    [[ -f /usr/src/googletest/CMakeLists.txt ]] || faltan+=(googletest)
    command -v cmake >/dev/null || faltan+=(cmake)
    command -v ninja >/dev/null || faltan+=(ninja-build)
    command -v Xvfb >/dev/null || faltan+=(xvfb)
    if ((${#faltan[@]} > 0)); then
        echo "Installing: ${faltan[*]}"
        local sudo=""
        [[ "$(id -u)" == 0 ]] || sudo="sudo"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${faltan[@]}"
    fi
}

# Programs that run on this machine: the image generator the Windows build needs, and the
# simulated meter and the Linux z82-update for the end-to-end comparison.
NATIVO="$BUILD/nativo"
compilar_nativo() {
    cmake -S "$RAIZ" -B "$NATIVO" -G Ninja -DCMAKE_BUILD_TYPE="${Z82_WIN_TIPO:-}" \
        -DZ82_TESTS=OFF -DZ82_BENCH=OFF -DZ82_GUI=OFF >/dev/null
    ninja -C "$NATIVO" -j"$JOBS" "$@"
}

compilar() {
    local generador=() nativos=()
    grep -q 'z82_generador' "$RAIZ/data/CMakeLists.txt" 2>/dev/null && nativos+=(z82_generador)
    ((E2E == 1)) && nativos+=(z82-meter-sim z82-update)
    if ((${#nativos[@]} > 0)); then
        compilar_nativo "${nativos[@]}"
    fi
    if [[ " ${nativos[*]} " == *" z82_generador "* ]]; then
        generador=(-DZ82_GENERADOR="$(find "$NATIVO" -type f -name z82_generador -perm -u+x -print -quit)")
    fi
    (cd "$RAIZ" && cmake -S "$RAIZ" -B "$BUILD" --preset windows \
        -DCMAKE_BUILD_TYPE="${Z82_WIN_TIPO:-}" "${generador[@]}" >/dev/null)
    # z82_cabeceras: every header compiled alone in its own layer, the Windows ones included.
    ninja -C "$BUILD" -j"$JOBS" z82_tests z82-update z82-update-gui z82_ventana_tests z82_cabeceras
}

# The programs need nothing beside them: no MinGW runtime DLLs (libstdc++, libgcc,
# libwinpthread), only the system's own.
comprobar_enlace_estatico() {
    local exe dlls
    for exe in "$BUILD/z82-update.exe" "$BUILD/z82-update-gui.exe" "$BUILD/tests/z82_tests.exe" \
        "$BUILD/tests/z82_ventana_tests.exe"; do
        dlls="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^.*DLL Name: //p')"
        echo "$(basename "$exe") imports: $(tr '\n' ' ' <<<"$dlls")"
        if grep -qi '^lib' <<<"$dlls"; then
            fallo "$(basename "$exe") needs MinGW DLLs"
            return 1
        fi
    done
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

# Wine's server, started by hand so that what it prints goes to its own log and not into
# the output of the program under test.
reiniciar_wineserver() {
    wineserver -k 2>/dev/null || true
    wineserver -w
    wineserver >>"$BUILD/wineserver.log" 2>&1
}

PIDS_SIM=()
PID_PANTALLA=""
# shellcheck disable=SC2317  # run by the trap
terminar() {
    local p
    for p in "${PIDS_SIM[@]}"; do kill "$p" 2>/dev/null || true; done
    [[ -z "$PID_PANTALLA" ]] || kill "$PID_PANTALLA" 2>/dev/null || true
    if [[ -n "${WINEPREFIX:-}" ]]; then wineserver -k 2>/dev/null || true; fi
}

ejecutar_pruebas() {
    local exe="$BUILD/tests/z82_tests.exe"
    [[ -f "$exe" ]] || fallo "missing $exe"
    wine "$exe" "$@"
}

# Starts z82-meter-sim with the given options in the background; sets SIM_PID and SIM_PTY.
arrancar_simulador() {
    local salida="$1"
    shift
    "$NATIVO/z82-meter-sim" "$@" >"$salida" 2>&1 </dev/null &
    SIM_PID=$!
    PIDS_SIM+=("$SIM_PID")
    SIM_PTY=""
    for _ in $(seq 100); do
        SIM_PTY="$(grep -o '/dev/pts/[0-9]*' "$salida" | head -n1 || true)"
        [[ -n "$SIM_PTY" ]] && return 0
        sleep 0.1
    done
    fallo "the simulated meter printed no pseudo-terminal ($salida)"
}

# SIGTERM, then the simulated meter writes its dump and ends.
parar_simulador() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# Wine maps COM ports to devices through this key; the server reads it when it starts. A
# symbolic link under dosdevices alone is not enough: Wine rewrites com1 at start-up on a
# machine that has /dev/ttyS0.
mapear_com1() {
    wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$1" /f >/dev/null
    reiniciar_wineserver
}

# The whole update run on Windows: z82-update.exe (Wine) against the simulated meter, which
# runs natively on a pseudo-terminal that Wine shows as COM1. The meter carries a firmware
# newer than the program's and the old FPGA 2.0, so the update writes only the FPGA area.
# The same scenario runs at the same time with the Linux z82-update on a second simulated
# meter; afterwards both meters must hold the same bytes.
ESCENARIO=(--firmware 1.89.00000)
probar_extremo_a_extremo() {
    local dir="$BUILD/e2e"
    local exe="$BUILD/z82-update.exe"
    rm -rf "$dir"
    mkdir -p "$dir"
    cd "$dir"

    # What a meter of this scenario holds before anything is written.
    arrancar_simulador sim-inicial.out "${ESCENARIO[@]}" --dump inicial.dump || return 1
    parar_simulador "$SIM_PID"

    paso "end-to-end: Linux z82-update and z82-update.exe, each on its own simulated meter"
    arrancar_simulador sim-linux.out "${ESCENARIO[@]}" --dump linux.dump || return 1
    local sim_linux=$SIM_PID
    # Its port lock in a folder of its own: other updaters on this machine do not slow it.
    mkdir -m 700 "$dir/xdg"
    XDG_RUNTIME_DIR="$dir/xdg" timeout 300 "$NATIVO/z82-update" --port "$SIM_PTY" --yes \
        >linux.out 2>&1 </dev/null &
    local linux=$!

    arrancar_simulador sim-wine.out "${ESCENARIO[@]}" --dump wine.dump || return 1
    local sim_wine=$SIM_PID
    mapear_com1 "$SIM_PTY"
    local rc=0 t0=$SECONDS
    timeout 150 wine "$exe" --port 1 --yes </dev/null >wine.out 2>&1 || rc=$?
    echo "wine z82-update.exe --port 1 --yes: exit code $rc after $((SECONDS - t0)) s"
    tail -n 3 wine.out
    ((rc == 0)) || fallo "z82-update.exe --port 1 --yes (see $dir/wine.out)" || return 1
    grep -q 'Result: the meter was updated' wine.out || fallo "no update reported" || return 1

    # The automatic search finds the meter on COM1; it reads back as up to date.
    rc=0
    timeout 60 wine "$exe" --yes --plan </dev/null >wine-plan.out 2>&1 || rc=$?
    echo "wine z82-update.exe --yes --plan: exit code $rc"
    grep -E 'Meter on port|FPGA|none:' wine-plan.out || true
    ((rc == 0)) || fallo "z82-update.exe --plan (see $dir/wine-plan.out)" || return 1
    grep -q 'Meter on port 1$' <(tr -d '\r' <wine-plan.out) ||
        fallo "the automatic search did not find COM1" || return 1
    grep -q 'none: the meter is up to date' wine-plan.out ||
        fallo "the meter does not read back as up to date" || return 1

    # The link's own measurements on the real COM device: read time-outs, purge masks, RTS.
    rc=0
    Z82_PUERTO_COM=1 wine "$BUILD/tests/z82_tests.exe" --gtest_filter='ComReal.*' \
        </dev/null >com.out 2>&1 || rc=$?
    grep -E '^  [14]-byte read|PASSED|FAILED|SKIPPED' com.out || true
    ((rc == 0)) || fallo "tests on COM1 (see $dir/com.out)" || return 1
    grep -q 'PASSED  \] 2 tests' com.out && ! grep -q 'SKIPPED' com.out ||
        fallo "tests on COM1 did not all run" || return 1
    parar_simulador "$sim_wine"

    # The same update through the window, clicked through in real time by its test driver.
    paso "end-to-end: the window on COM1, in real time"
    arrancar_simulador sim-ventana.out "${ESCENARIO[@]}" --dump ventana.dump || return 1
    local sim_ventana=$SIM_PID
    mapear_com1 "$SIM_PTY"
    rc=0
    t0=$SECONDS
    DISPLAY="$PANTALLA" Z82_PUERTO_COM=1 timeout 200 wine "$BUILD/tests/z82_ventana_tests.exe" \
        --gtest_filter='Ventana_tiempo_real.*' </dev/null >ventana.out 2>&1 || rc=$?
    echo "the window's update on COM1: exit code $rc after $((SECONDS - t0)) s"
    parar_simulador "$sim_ventana"
    ((rc == 0)) && grep -q 'PASSED  \] 1 test' ventana.out && ! grep -q 'SKIPPED' ventana.out ||
        fallo "the window's update on COM1 (see $dir/ventana.out)" || return 1

    rc=0
    wait "$linux" || rc=$?
    echo "Linux z82-update --port PTY --yes: exit code $rc"
    ((rc == 0)) || fallo "Linux z82-update (see $dir/linux.out)" || return 1
    parar_simulador "$sim_linux"
    [[ -s linux.dump && -s wine.dump && -s ventana.dump ]] ||
        fallo "the simulated meters wrote no dump" || return 1
    local d
    for d in wine ventana; do
        if ! cmp -s linux.dump "$d.dump"; then
            diff linux.dump "$d.dump" || true
            fallo "the meters differ after the Linux run and the Windows run ($d)"
            return 1
        fi
    done
    if cmp -s inicial.dump wine.dump; then
        fallo "the Windows run wrote nothing to the meter"
        return 1
    fi
    echo "The three meters hold the same bytes; changed by the update:"
    diff inicial.dump wine.dump | sed -n 's/^> /  /p'
    cd "$RAIZ"
}

# Ctrl-C under Wine: the first stops the run at its next safe point, the second does not
# end the program, the third ends it at once with a failure code.
probar_ctrl_c() {
    local dir="$BUILD/e2e"
    cd "$dir"
    paso "Ctrl-C: z82-update.exe during an update"
    arrancar_simulador sim-ctrlc.out "${ESCENARIO[@]}" || return 1
    local sim=$SIM_PID
    mapear_com1 "$SIM_PTY"
    wine "$BUILD/z82-update.exe" --port 1 --yes </dev/null >ctrlc.out 2>&1 &
    local prog=$!
    for _ in $(seq 150); do
        grep -q 'progress' ctrlc.out && break
        sleep 0.1
    done
    kill -INT "$prog"
    for _ in $(seq 30); do
        grep -q 'Stopping at the next safe point' ctrlc.out && break
        sleep 0.1
    done
    grep -q 'Stopping at the next safe point' ctrlc.out ||
        { kill "$prog"; fallo "the first Ctrl-C was not seen (see $dir/ctrlc.out)"; return 1; }
    kill -INT "$prog"
    sleep 1
    kill -0 "$prog" 2>/dev/null || fallo "the second Ctrl-C ended the program" || return 1
    kill -INT "$prog"
    local rc=0 t0=$SECONDS
    wait "$prog" || rc=$?
    parar_simulador "$sim"
    echo "third Ctrl-C: exit code $rc after $((SECONDS - t0)) s"
    ((rc != 0)) || fallo "the program stopped by Ctrl-C reported success" || return 1
    ((SECONDS - t0 <= 3)) || fallo "the third Ctrl-C did not end the program at once" || return 1
    cd "$RAIZ"
}

# A virtual display for the window; Xvfb picks a free display number and says it.
PANTALLA=""
arrancar_pantalla() {
    local numero="$BUILD/pantalla.numero"
    rm -f "$numero"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numero" >"$BUILD/xvfb.log" 2>&1 &
    PID_PANTALLA=$!
    for _ in $(seq 100); do
        [[ -s "$numero" ]] && break
        sleep 0.1
    done
    [[ -s "$numero" ]] || fallo "Xvfb did not start (see $BUILD/xvfb.log)" || return 1
    PANTALLA=":$(head -n1 "$numero")"
}

# The scale Wine gives DPI-aware programs: 96 dots per inch is 100 %, 144 is 150 %. The
# server reads it when it starts.
poner_escala() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
    reiniciar_wineserver
}

# The window's tests against the simulated meter under virtual time, at 100 % (all of them)
# and at 150 % (the screenshots of every state, where every text must still fit).
probar_ventana() {
    local dir="$BUILD/ventana" rc=0
    rm -rf "$dir" "$BUILD/capturas"
    mkdir -p "$dir" "$BUILD/capturas"
    cd "$dir"
    paso "window tests at 100 % on the virtual display $PANTALLA"
    poner_escala 96
    DISPLAY="$PANTALLA" Z82_DPI=96 Z82_CAPTURAS=../capturas \
        wine "$BUILD/tests/z82_ventana_tests.exe" --gtest_filter='Ventana_win32.*:Entorno_win32.*:Capturas_win32.*' \
        </dev/null >ventana-100.out 2>&1 || rc=$?
    grep -E '^\[ +(OK|FAILED) |tests ran' ventana-100.out || true
    ((rc == 0)) || { fallo "window tests at 100 % (see $dir/ventana-100.out)"; cd "$RAIZ"; return 1; }
    paso "window screenshots at 150 %"
    poner_escala 144
    DISPLAY="$PANTALLA" Z82_DPI=144 Z82_CAPTURAS=../capturas \
        wine "$BUILD/tests/z82_ventana_tests.exe" --gtest_filter='Capturas_win32.*' \
        </dev/null >ventana-150.out 2>&1 || rc=$?
    poner_escala 96
    grep -E '^\[ +(OK|FAILED) |tests ran' ventana-150.out || true
    ((rc == 0)) || { fallo "window screenshots at 150 % (see $dir/ventana-150.out)"; cd "$RAIZ"; return 1; }
    echo "Screenshots: $(find "$BUILD/capturas" -name '*.png' | wc -l) in $BUILD/capturas"
    # The window's program itself answers from the command line.
    wine "$BUILD/z82-update-gui.exe" --version </dev/null >version.out 2>&1 || rc=$?
    head -n1 version.out
    ((rc == 0)) && grep -q '^z82-update-gui' version.out ||
        { fallo "z82-update-gui.exe --version (see $dir/version.out)"; cd "$RAIZ"; return 1; }
    cd "$RAIZ"
}

instalar_lo_que_falta
paso "build"
compilar
comprobar_enlace_estatico
trap terminar EXIT
paso "Wine prefix"
preparar_wine
reiniciar_wineserver
paso "engine tests under Wine"
rc=0
ejecutar_pruebas "${ARGS[@]}" || rc=$?
if ((rc == 0)); then
    arrancar_pantalla && probar_ventana || rc=$?
fi
if ((rc == 0 && E2E == 1)); then
    probar_extremo_a_extremo || rc=$?
    ((rc != 0)) || probar_ctrl_c || rc=$?
fi
paso "done, exit code $rc"
exit "$rc"
