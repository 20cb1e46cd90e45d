#!/usr/bin/env bash
# Installs what Orvessa needs, builds it, lays out the demonstration program directory
# build/demo (made anew on every run: a chime about a minute from now, an untimed row after it,
# and a tune that repeats for two minutes, and the web console on this computer alone with a user
# "demo" whose password is new on every run), and starts Orvessa there. Without a display it runs
# under a virtual one (xvfb-run), and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${ORVESSA_CORE_PACKAGES[@]}" "${ORVESSA_APP_PACKAGES[@]}" \
    "${ORVESSA_DISPLAY_PACKAGES[@]}"

cmake -S . -B build -DORVESSA_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)" --target orvessa orvessa_webview orvessa-make-demo orvessa_manual \
    orvessa-console

# The program directory is the executable's own, so the demonstration gets a copy of it.
demo=build/demo
rm -rf "$demo"
mkdir -p "$demo"
cp build/program/orvessa build/program/orvessa_webview.so "$demo/"
cp -r build/program/manual "$demo/"
build/program/orvessa-make-demo "$demo" resources/orvessa.sys

# The demonstration's web console: on 127.0.0.1 only, so nothing but this computer can reach it,
# with an operator whose random password is printed below (it lives in build/demo alone).
console_port=8460
build/program/orvessa-console "$demo" enable --address 127.0.0.1 --port "$console_port" >/dev/null
demo_password=$(od -An -N9 -tx1 /dev/urandom | tr -d ' \n')
printf '%s\n' "$demo_password" |
    build/program/orvessa-console "$demo" user add demo --role operator >/dev/null
echo "网页控制台：http://127.0.0.1:$console_port/  用户 demo  密码 $demo_password"
echo "Web console: http://127.0.0.1:$console_port/  user demo  password $demo_password"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$demo/orvessa"
fi
echo "No display found: running Orvessa on a virtual display (xvfb-run); nothing is shown."
exec xvfb-run -a "$demo/orvessa"
