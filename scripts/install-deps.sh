#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing:
# the toolchain and test libraries, Qt 6 Widgets for the desktop tool, a
# virtual display and a font so that headless runs show its window, and
# pdftotext for the test of the PDF report.
# Runs as root on Debian 12; quick when everything is already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libgmock-dev
    clang-format clang-14 libclang-rt-14-dev
    nlohmann-json3-dev libcli11-dev
    dpkg-dev desktop-file-utils appstream man-db qt6-svg-dev
    qt6-base-dev qt6-qpa-plugins libgl-dev
    xvfb xauth fonts-dejavu-core
    poppler-utils
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
