#!/usr/bin/env bash
# Builds everything with warnings as errors and runs the tests; then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer.
# Usage: tools/test.sh [--quick]   (--quick: skip the sanitizer build)
set -euo pipefail
raiz="$(cd "$(dirname "$0")/.." && pwd)"
"$raiz/tools/deps.sh" gui
trabajos="${Z82_JOBS:-$(nproc)}"

cd "$raiz"
echo "== build and tests =="
cmake --preset test > /dev/null
cmake --build --preset test -j "$trabajos"
ctest --preset test -j "$trabajos"

if [ "${1:-}" != "--quick" ]; then
  echo "== AddressSanitizer and UndefinedBehaviorSanitizer =="
  cmake --preset asan > /dev/null
  cmake --build --preset asan -j "$trabajos" --target z82_tests z82-meter-sim z82-update
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$trabajos"
fi
echo "All tests passed."
