#!/usr/bin/env bash
# Installs what Orvessa needs, builds it, and starts it from its program directory
# build/program. Without a display it runs under a virtual one (xvfb-run), and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${ORVESSA_CORE_PACKAGES[@]}" "${ORVESSA_APP_PACKAGES[@]}" \
    "${ORVESSA_DISPLAY_PACKAGES[@]}"

cmake -S . -B build -DORVESSA_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec build/program/orvessa
fi
echo "No display found: running Orvessa on a virtual display (xvfb-run); nothing is shown."
exec xvfb-run -a build/program/orvessa
