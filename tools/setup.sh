#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs what is missing, then configures and builds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${QUILLBACK_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libzip-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    unzip zip sharutils python3 python3-pyftpdlib python3-aiosmtpd
)

install_missing() {
    local missing=()
    for pkg in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    # Configuring again is quick and picks up source folders added since the last build.
    if [ -f "$BUILD_DIR/build.ninja" ]; then
        cmake -S "$ROOT" -B "$BUILD_DIR" >/dev/null
    else
        cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$BUILD_DIR" --parallel "$(nproc)"
}
