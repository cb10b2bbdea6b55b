#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/tools/setup.sh"

install_missing
build

cd "$BUILD_DIR"
ctest --output-on-failure --parallel "$(nproc)" "$@"
