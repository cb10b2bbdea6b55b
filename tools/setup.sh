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
    # A desktop font, so that windows are sized and tested with the fonts users have.
    fonts-dejavu-core
)

# Another package manager run (an update in the background, a second setup) holds the dpkg lock
# for a while: wait for it rather than fail at once.
APT_LOCK_WAIT_SECONDS=600
APT_LOCK_WAIT=(-o "DPkg::Lock::Timeout=$APT_LOCK_WAIT_SECONDS")

# apt-get update does not wait for the package lists' lock: try again while another run holds it.
update_package_lists() {
    local sudo="$1" waited=0 output
    until output="$($sudo apt-get "${APT_LOCK_WAIT[@]}" update -qq 2>&1)"; do
        if ! grep -q "Could not get lock" <<<"$output" || [ "$waited" -ge "$APT_LOCK_WAIT_SECONDS" ]; then
            echo "$output" >&2
            return 1
        fi
        [ "$waited" -eq 0 ] && echo "Waiting for another package manager run to end..."
        sleep 5
        waited=$((waited + 5))
    done
    [ -z "$output" ] || echo "$output"
}

install_missing() {
    local missing=()
    for pkg in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    update_package_lists "$sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get "${APT_LOCK_WAIT[@]}" install -y -qq --no-install-recommends \
        "${missing[@]}"
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
