#!/usr/bin/env bash
# Builds everything with warnings as errors and runs the tests; then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer.
# Usage: tools/test.sh [--quick]   (--quick: skip the sanitizer build)
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
"$raiz/tools/deps.sh" gui
trabajos="${Z82_JOBS:-$(nproc)}"

echo "== build and tests =="
cmake -S "$raiz" -B "$raiz/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$raiz/build-test" -j "$trabajos"
ctest --test-dir "$raiz/build-test" --output-on-failure -j "$trabajos"

if [ "${1:-}" != "--quick" ]; then
  echo "== AddressSanitizer and UndefinedBehaviorSanitizer =="
  cmake -S "$raiz" -B "$raiz/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZ82_SANITIZE=ON \
    -DZ82_BENCH=OFF -DZ82_GUI=OFF > /dev/null
  cmake --build "$raiz/build-asan" -j "$trabajos" --target z82_tests z82-meter-sim z82-update
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$raiz/build-asan" --output-on-failure -j "$trabajos"
fi
echo "All tests passed."
