#!/usr/bin/env bash
# The run command: installs what is missing, builds the release tree in build/,
# starts a virtual gateway on a pseudo-terminal linked as COM1 and shows the
# desktop tool GYConfig on it (with a display: the window stays open until it
# is closed; without one: under a virtual display, which refreshes, uploads and
# writes a screenshot of the main window). Then runs the configuration job from
# the command line through the whole stack (gyconfig-cli -> libKV121032.so ->
# libKVGYSrl.so -> serial line -> gantry-gateway): identity, upload to a .cfg
# file, and a summary of that file. Everything lives in a temporary Gantry
# directory that is removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

step() { printf '\n==> %s\n' "$*"; }

step "Installing the Debian packages the build needs (when missing)"
scripts/install-deps.sh

step "Building build/ (release, no tests)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DGANTRY_BUILD_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)" --target GYConfig gyconfig-cli gantry-gateway KV121032 KVGYSrl

bin="$root/build/bin"
profile="${GANTRY_EXAMPLE_PROFILE:-$root/examples/j1939-modbus.ini}"

export GANTRY_DIR
GANTRY_DIR=$(mktemp -d /tmp/gantry-run-XXXXXX)
gateway_pid=""
cleanup() {
    if [ -n "$gateway_pid" ] && kill -0 "$gateway_pid" 2>/dev/null; then
        kill "$gateway_pid"
        wait "$gateway_pid" 2>/dev/null || true
        echo "Stopped the virtual gateway (pid $gateway_pid)."
    fi
    rm -rf "$GANTRY_DIR"
}
trap cleanup EXIT

step "Temporary Gantry directory $GANTRY_DIR"
cp "$profile" "$GANTRY_DIR/GYSim.ini"
echo "Gateway profile: $profile -> $GANTRY_DIR/GYSim.ini"
cat >"$GANTRY_DIR/KV121032.INI" <<INI
[DeviceInformation101]
DeviceParams=libKVGYSrl.so COM1
INI
echo "KV121032.INI: [DeviceInformation101] DeviceParams=libKVGYSrl.so COM1"

step "Starting the virtual gateway on a pseudo-terminal linked as COM1"
coproc GATEWAY { exec "$bin/gantry-gateway" --profile "$GANTRY_DIR/GYSim.ini" \
    --link "$GANTRY_DIR/dosdevices/com1" 2>"$GANTRY_DIR/gateway.log"; }
gateway_pid=$GATEWAY_PID
read -r -t 10 pty <&"${GATEWAY[0]}" || { echo "The virtual gateway did not start:"; \
    cat "$GANTRY_DIR/gateway.log"; exit 1; }
echo "gantry-gateway (pid $gateway_pid) serves $pty; COM1 -> $(readlink "$GANTRY_DIR/dosdevices/com1")"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    step "GYConfig against the virtual gateway (close the window to go on)"
    "$bin/GYConfig" || echo "GYConfig ended with status $?"
else
    shot="$root/build/gyconfig-main-window.png"
    step "GYConfig under a virtual display: refresh, upload, screenshot"
    xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
        "$bin/GYConfig" --timing --screenshot "$shot"
    echo "Screenshot of the main window: $shot"
fi

step "gyconfig-cli identity"
"$bin/gyconfig-cli" identity

step "gyconfig-cli upload $GANTRY_DIR/gateway.cfg"
"$bin/gyconfig-cli" upload "$GANTRY_DIR/gateway.cfg"
echo "$(stat -c %s "$GANTRY_DIR/gateway.cfg") bytes written"

step "gyconfig-cli show $GANTRY_DIR/gateway.cfg"
"$bin/gyconfig-cli" show "$GANTRY_DIR/gateway.cfg"

step "Trace log $GANTRY_DIR/GyConfig.log (last lines)"
tail -n 5 "$GANTRY_DIR/GyConfig.log" 2>/dev/null || echo "(empty)"

step "Done"
echo "Built GYConfig, gyconfig-cli, gantry-gateway, libKV121032.so and libKVGYSrl.so into"
echo "build/, showed the desktop tool on the virtual gateway, read the identity and the"
echo "whole configuration of the virtual gateway over its"
echo "serial line through the RP1210 library and the serial driver, saved it as a .cfg"
echo "file and showed it. The virtual gateway is stopped and the temporary directory"
echo "removed on exit."
