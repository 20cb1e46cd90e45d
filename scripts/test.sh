#!/usr/bin/env bash
# Installs what the tests need, builds everything, and runs every test; then builds the core
# alone with AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests again.
# Last, the console in headless Chromium. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${ORVESSA_CORE_PACKAGES[@]}" "${ORVESSA_APP_PACKAGES[@]}" \
    "${ORVESSA_DISPLAY_PACKAGES[@]}" "${ORVESSA_BROWSER_PACKAGES[@]}"
command -v npm >/dev/null || ensure_packages "${ORVESSA_NODE_PACKAGES[@]}"
jobs=$(nproc)

cmake -S . -B build -DORVESSA_BUILD_TESTS=ON
cmake --build build -j"$jobs"

cmake -S . -B build-sanitize -DORVESSA_CORE_ONLY=ON -DORVESSA_SANITIZE=ON \
    -DCMAKE_BUILD_TYPE=Debug
cmake --build build-sanitize -j"$jobs"

status=0
echo "== core under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure --timeout 600 -j"$jobs" || status=1
echo "== all tests"
# Views run on the offscreen platform; the few real-window tests start their own Xvfb.
# Tests that start the program keep its files in temporary directories of their own. A test that
# hangs fails after ten minutes instead of holding the run.
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --timeout 600 -j"$jobs" || status=1
echo "== the console in a real browser"
tests/browser/run.sh build || status=1
exit $status
