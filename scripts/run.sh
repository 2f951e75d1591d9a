#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake --preset release
cmake --build --preset release -j "$(nproc)"
exec build/release/sorvelin "$@"
