#!/usr/bin/env bash
# Installs what is missing, builds the developer preset and runs every test; then builds and
# runs the same tests under the address and undefined-behaviour sanitizers, and runs each fuzz
# target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
# The test list installs Emscripten, so the web page must build here rather than be left out.
cmake --preset default -DSORVELIN_REQUIRE_WEB=ON
cmake --build --preset default -j "$(nproc)"
ctest --preset default -j "$(nproc)"

# The sanitizers instrument only our own code, so the sanitize preset leaves out the
# cross-built Windows program, which the default build has already built and tested.
cmake --preset sanitize
cmake --build --preset sanitize -j "$(nproc)"
ctest --preset sanitize -j "$(nproc)"

cmake --preset fuzz
cmake --build --preset fuzz -j "$(nproc)"
ctest --preset fuzz
