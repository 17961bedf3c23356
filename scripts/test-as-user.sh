#!/usr/bin/env bash
# Runs the tests labelled "user" (the command-line end-to-end tests and the
# desktop tool's start-up test) a second time as an ordinary user, nobody
# (uid 65534), each in a Gantry directory, home and temporary folder that user
# owns. Root passes checks an ordinary user meets (file modes, a terminal's
# exclusive-use flag), so faults of that kind show only here.
# Usage: scripts/test-as-user.sh [BUILD_DIR]   (default build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-asan}")
uid=65534

as_user() { setpriv --reuid=$uid --regid=$uid --clear-groups -- "$@"; }

# The user reads the test programs, the programs, the libraries and the
# examples; a tree built under a restrictive umask is opened to it.
chmod -R o+rX "$build" examples
mapfile -t commands < <(ctest --test-dir "$build" -N -V -L user |
    sed -n 's/^[0-9]*: Test command: //p')
[ ${#commands[@]} -gt 0 ] || { echo "test-as-user: no tests labelled user in $build" >&2; exit 1; }
if ! as_user test -x "${commands[0]%% *}"; then
    echo "test-as-user: uid $uid cannot reach $build: a folder above it is private;" \
        "build in a tree that others may enter" >&2
    exit 1
fi

status=0
for command in "${commands[@]}"; do
    work=$(mktemp -d)
    mkdir -p "$work/gantry" "$work/tmp"
    chown -R $uid:$uid "$work"
    echo "== as uid $uid: ${command##*/}"
    # shellcheck disable=SC2086  # a test command is a program and its arguments
    if ! (cd "$work" && as_user env GANTRY_DIR="$work/gantry" HOME="$work" TMPDIR="$work/tmp" \
        QT_QPA_PLATFORM=offscreen $command); then
        status=1
    fi
    rm -rf "$work"
done
exit $status
