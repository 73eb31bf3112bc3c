#!/usr/bin/env bash
# Installs the Debian 12 packages that Kyrvana needs and that are missing.
# Only apt-get runs as root (through sudo when the caller is not root).
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libcli11-dev
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl1-mesa-dev qt6-svg-dev
    clang libclang-rt-14-dev
    xvfb xauth imagemagick locales
    dpkg-dev lintian desktop-file-utils appstream man-db udev x11-utils
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}" >&2
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A comma-decimal locale, so that the tests can prove that numbers on the wire
# and in files do not follow the user's locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    "${as_root[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
