#!/usr/bin/env bash
# Builds the web page (the web preset, into build/web) and serves it on this machine only, at
# http://127.0.0.1:8000/ unless a port is given. Usage: serve-web.sh [PORT]
set -euo pipefail
cd "$(dirname "$0")/.."
port="${1:-8000}"
if ! [[ "$port" =~ ^[0-9]+$ ]] || ((port < 1 || port > 65535)); then
    echo "usage: $0 [PORT]" >&2
    exit 2
fi
scripts/install-deps.sh web
# Debian's Emscripten runs its optimizer with Node, which finds Debian's acorn only here when
# another Node comes first on the PATH.
export NODE_PATH=/usr/share/nodejs
cmake --preset web
cmake --build --preset web -j "$(nproc)"
echo "Sorvelin in a browser: http://127.0.0.1:${port}/ (Ctrl+C stops the server)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build/web
