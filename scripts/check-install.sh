#!/usr/bin/env bash
# The install check: builds the release tree (Release, no tests), installs it
# into a temporary DESTDIR, moves the installed tree elsewhere and runs the
# programs from there with no library path set (offline, and through the
# installed libraries to a virtual gateway); then builds the Debian package,
# checks its fields and file list, and runs the programs from `dpkg -x` of it.
# Exits non-zero on any failure.
#
#   scripts/check-install.sh [BUILD_DIR]     (default build-release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-release}
jobs=$(nproc)

fail() {
    echo "check-install: $*" >&2
    exit 1
}

echo "== release build in $build (Release, no tests)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DGANTRY_BUILD_TESTS=OFF -DGANTRY_WERROR=ON >/dev/null
cmake --build "$build" -j "$jobs"
build_path=$(cd "$build" && pwd)

work=$(mktemp -d /tmp/gantry-install-XXXXXX)
gateway_pid=""
cleanup() {
    if [ -n "$gateway_pid" ] && kill -0 "$gateway_pid" 2>/dev/null; then
        kill "$gateway_pid"
        wait "$gateway_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
unset LD_LIBRARY_PATH

# GYConfig is part of the suite once its sources are there (and Qt is, which
# configuring checks)
want_ui=no
if [ -f tool/ui/main.cpp ]; then
    want_ui=yes
fi

# check_tree DIR: the installed tree under DIR (the prefix) holds what it must
# and nothing of the build tree
check_tree() {
    local prefix=$1 file
    local programs=(gyconfig-cli gantry-gateway)
    [ "$want_ui" = yes ] && programs+=(GYConfig)
    for file in "${programs[@]}"; do
        [ -x "$prefix/bin/$file" ] || fail "bin/$file missing"
        [ -f "$prefix/share/man/man1/$file.1.gz" ] || fail "manual page $file.1.gz missing"
        ! zgrep -q -F 'could not be read from the program' "$prefix/share/man/man1/$file.1.gz" ||
            fail "manual page of $file lacks the options: $file --help failed at build time"
        local warnings
        warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$file.1.gz" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "manual page of $file: $warnings"
    done
    # the private library folder: lib/gantry or lib/<multiarch>/gantry
    local libdir
    libdir=$(dirname "$(find "$prefix/lib" -path '*/gantry/libKV121032.so' | head -n 1)")
    for file in libKV121032.so libKVGYSrl.so; do
        [ -f "$libdir/$file" ] || fail "lib/.../gantry/$file missing"
    done
    ls "$prefix"/share/doc/gantry/examples/*.ini >/dev/null || fail "example profiles missing"
    ls "$prefix"/share/doc/gantry/examples/*.cfg >/dev/null || fail "example .cfg files missing"
    if [ "$want_ui" = yes ]; then
        desktop-file-validate "$prefix/share/applications/org.gantry.GYConfig.desktop"
        appstreamcli validate --no-net --no-color \
            "$prefix/share/metainfo/org.gantry.GYConfig.metainfo.xml" >/dev/null ||
            appstreamcli validate --no-net "$prefix/share/metainfo/org.gantry.GYConfig.metainfo.xml"
        [ -f "$prefix/share/icons/hicolor/scalable/apps/org.gantry.GYConfig.svg" ] ||
            fail "GYConfig icon missing"
    fi
    # nothing for building against, no tests, no build paths, relative RUNPATHs only
    local extra
    extra=$(find "$prefix" \( -path '*/include/*' -o -name '*.h' -o -name '*.a' -o -name '*test*' \
        -o -name '*bench*' -o -name '*fake*' -o -name '*stub*' \) -print)
    [ -z "$extra" ] || fail "should not be installed: $extra"
    if grep -rl --binary-files=binary -F "$build_path" "$prefix" >/dev/null; then
        fail "build paths inside: $(grep -rl -F "$build_path" "$prefix")"
    fi
    while IFS= read -r file; do
        local runpath
        runpath=$(readelf -d "$file" | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p')
        case ":$runpath:" in
        ::) [[ "$file" == */lib* ]] || fail "$file has no RUNPATH" ;;
        *:/*) fail "$file has an absolute RUNPATH: $runpath" ;;
        esac
    done < <(find "$prefix/bin" "$libdir" -type f)
}

# run_suite PREFIX LABEL: the programs of the tree under PREFIX, offline and
# through the installed libraries to the installed virtual gateway
run_suite() {
    local prefix=$1 label=$2
    export GANTRY_DIR="$work/gantry-$label"
    mkdir -p "$GANTRY_DIR"
    cp "$prefix/share/doc/gantry/examples/j1939-modbus.ini" "$GANTRY_DIR/GYSim.ini"
    "$prefix/bin/gyconfig-cli" --offline identity
    "$prefix/bin/gyconfig-cli" --offline upload "$work/$label-offline.cfg"
    [ -s "$work/$label-offline.cfg" ] || fail "$label: offline upload wrote nothing"
    if [ "$want_ui" = yes ]; then
        # the desktop tool starts from this tree and draws its window
        QT_QPA_PLATFORM=offscreen timeout 120 "$prefix/bin/GYConfig" --offline \
            --screenshot "$work/$label.png" 2>"$work/$label-gui.log" ||
            fail "$label: GYConfig did not start: $(cat "$work/$label-gui.log")"
        [ -s "$work/$label.png" ] || fail "$label: GYConfig drew no window"
    fi

    coproc GATEWAY { exec "$prefix/bin/gantry-gateway" --profile "$GANTRY_DIR/GYSim.ini" \
        --link "$GANTRY_DIR/dosdevices/com1" 2>"$work/gateway.log"; }
    gateway_pid=$GATEWAY_PID
    local pty
    read -r -t 10 pty <&"${GATEWAY[0]}" || fail "$label: the virtual gateway did not start: $(cat "$work/gateway.log")"
    # setup keeps the gateway's COM1 link and writes KV121032.INI for it
    "$prefix/bin/gyconfig-cli" setup
    LD_DEBUG=files LD_DEBUG_OUTPUT="$work/ld-$label" "$prefix/bin/gyconfig-cli" identity
    "$prefix/bin/gyconfig-cli" upload "$work/$label-gateway.cfg"
    [ -s "$work/$label-gateway.cfg" ] || fail "$label: upload wrote nothing"
    kill "$gateway_pid"
    wait "$gateway_pid" 2>/dev/null || true
    gateway_pid=""
    # both libraries came from this tree
    local real_prefix library
    real_prefix=$(cd "$prefix" && pwd -P)
    for library in libKV121032.so libKVGYSrl.so; do
        grep -h "calling init: .*/$library\$" "$work"/ld-"$label".* | grep -q -F "$real_prefix/" ||
            fail "$label: $library was not loaded from $prefix: $(grep -h "$library" "$work"/ld-"$label".* | head -3)"
    done
    echo "$label: identity and upload, offline and through the installed libraries: ok ($pty)"
}

echo "== install into a DESTDIR, move the tree, run it from there"
DESTDIR="$work/stage" cmake --install "$build" >/dev/null
mkdir -p "$work/elsewhere"
mv "$work/stage/usr" "$work/elsewhere/gantry"
check_tree "$work/elsewhere/gantry"
run_suite "$work/elsewhere/gantry" moved

echo "== Debian package"
rm -f "$build"/gantry_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/gantry_*.deb)
for field in Package Version Maintainer Description Depends; do
    value=$(dpkg-deb -f "$package" "$field")
    [ -n "$value" ] || fail "package field $field is empty"
done
dpkg-deb -f "$package" Depends | grep -q 'libc6' || fail "Depends lacks the C library"
listing=$(dpkg-deb -c "$package" | awk '{print $6}')
outside=$(grep -v -e '^\./usr/' -e '^\./$' <<<"$listing" || true)
[ -z "$outside" ] || fail "package has files outside /usr: $outside"
dpkg-deb -x "$package" "$work/unpacked"
check_tree "$work/unpacked/usr"
run_suite "$work/unpacked/usr" package
echo "$package: $(grep -c -v '/$' <<<"$listing") files"
dpkg-deb -f "$package" Package Version Depends
