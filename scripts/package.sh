#!/usr/bin/env bash
# Builds the Debian package of Orvessa in a build directory of its own (build-package) and prints
# the package's path. Install it with: sudo apt-get install ./build-package/orvessa_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
# dpkg-shlibdeps computes the package's dependencies on shared libraries; it needs file(1).
ensure_packages "${ORVESSA_CORE_PACKAGES[@]}" "${ORVESSA_APP_PACKAGES[@]}" dpkg-dev file

build=build-package
# Only what the package holds is built: installing must not wait for the benchmarks.
cmake -S . -B "$build" -DORVESSA_BUILD_TESTS=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$build" -j"$(nproc)" --target orvessa orvessa-rehearse orvessa-console orvessa_webview \
    orvessa-wake-alarm
(cd "$build" && cpack -G DEB)

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$PWD/$build/orvessa_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "package.sh: $deb was not made" >&2; exit 1; }
echo "$deb"
