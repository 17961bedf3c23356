#!/usr/bin/env bash
# The run command: installs what is missing, builds the release tree in build/
# and runs what is runnable so far.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGANTRY_BUILD_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)"

echo
echo "Built into build/: the shared foundation (packets, packet queues, trace log,"
echo "profile files, library loading) and the RP1210 error table."
echo "The desktop tool GYConfig, the RP1210 library and the serial driver are not"
echo "built yet, so there is nothing to run against a gateway. Run scripts/test.sh"
echo "to see the foundation exercised by its tests."
