#!/usr/bin/env bash
# The wire time a read-back check adds to a download: gyconfig-cli downloads a
# 200-point J1939 to Modbus configuration to the virtual gateway paced at
# 19200 baud, verified and with --no-verify, and prints both times and the
# difference (each the mean of RUNS runs). A benchmark, not a test.
# usage: bench/safe-download-bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${2:-2}
dir=$(mktemp -d)
trap 'kill "$gateway" 2>/dev/null || true; rm -rf "$dir"' EXIT
export GANTRY_DIR=$dir
mkdir -p "$dir/dosdevices"
printf '[DeviceInformation101]\nDeviceParams=%s COM1\n' "$build/lib/libKVGYSrl.so" \
    >"$dir/KV121032.INI"
{
    printf '[Identity]\nProduct Name=GY-JMB1\nSerial Number=0x00C3D4E5\nFirmware Revision=2.06\n'
    printf 'Client Type=9\nServer Type=8\nRun Mode=Run\nMajor Fault=0\n'
    printf '[ModbusConfig]\nSlave Address=1\nBaud Rate=19200\nWatchdog Timeout=1000\n'
    printf '[J1939IO_0]\nNumberOfEntries=200\n'
    for i in $(seq 1 200); do
        if [ "$i" -le 120 ]; then
            printf '[J1939IO_%d]\nDirection=Input\nOffset=%d\nSize=16\nUpdate Rate=100\n' \
                "$i" $((16 * (i - 1)))
        else
            printf '[J1939IO_%d]\nDirection=Output\nOffset=%d\nSize=8\nUpdate Rate=50\n' \
                "$i" $((8 * (i - 121)))
        fi
        printf 'Target Address=0\nPGN=%d\nMessage Offset=0\n' $((65280 + i % 20))
    done
} >"$dir/GYSim.ini"
"$build/bin/gantry-gateway" --profile "$dir/GYSim.ini" --link "$dir/dosdevices/com1" \
    --baud 19200 >"$dir/gateway.out" &
gateway=$!
while [ ! -s "$dir/gateway.out" ]; do sleep 0.1; done
cli=$build/bin/gyconfig-cli
"$cli" upload "$dir/site.cfg" >/dev/null

mean_seconds() {  # the mean wall time of the download with the given options
    local total=0 start end
    for _ in $(seq 1 "$runs"); do
        start=$(date +%s.%N)
        "$cli" download --yes "$@" "$dir/site.cfg" >/dev/null
        end=$(date +%s.%N)
        total=$(awk -v t="$total" -v s="$start" -v e="$end" 'BEGIN { print t + e - s }')
    done
    awk -v t="$total" -v n="$runs" 'BEGIN { print t / n }'
}
verified=$(mean_seconds)
unverified=$(mean_seconds --no-verify)
printf 'download of 200 I/O points at 19200 baud (mean of %d runs, each with the\n' "$runs"
printf 'connect and the upload of the session start):\n'
printf '  verified:    %6.1f s\n  --no-verify: %6.1f s\n  read-back:   %6.1f s more\n' \
    "$verified" "$unverified" "$(awk -v a="$verified" -v b="$unverified" 'BEGIN { print a - b }')"
