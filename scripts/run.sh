#!/usr/bin/env bash
# Installs what Orvessa needs, builds it, and starts it from its program directory.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${ORVESSA_CORE_PACKAGES[@]}"

cmake -S . -B build -DORVESSA_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"
exec build/program/orvessa
