#!/bin/sh
# Configures and builds one preset (default: "default", binaries in build/bin/).
set -eu
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
