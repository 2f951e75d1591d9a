#!/usr/bin/env bash
# Builds the web page (the web preset, into build/web) and serves it on this machine only, at
# http://127.0.0.1:8000/ unless a port is given. Usage: serve-web.sh [PORT]
# A bad port or one that something else holds ends it with one line and no address printed.
set -euo pipefail
cd "$(dirname "$0")/.."
port="${1:-8000}"
if (($# > 1)) || ! [[ "$port" =~ ^[1-9][0-9]{0,4}$ ]] || ((10#$port > 65535)); then
    echo "serve-web.sh: the port must be a number from 1 to 65535, not '$*'" \
         "(usage: $0 [PORT])" >&2
    exit 2
fi
# Serves build/web on 127.0.0.1; it binds before it prints the address, so that a user never
# opens whatever else holds the port. With --check it only tries the port.
serve() {
    python3 - "$port" "$@" <<'PYTHON'
import functools, http.server, sys

port = int(sys.argv[1])


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript',
                      '.webmanifest': 'application/manifest+json'}

    def end_headers(self):
        # Asked again on every visit, so that a new build is seen at once.
        self.send_header('Cache-Control', 'no-cache')
        super().end_headers()


try:
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', port), functools.partial(Handler, directory='build/web'))
except OSError as error:
    print(f'serve-web.sh: cannot serve on 127.0.0.1:{port}: {error.strerror}', file=sys.stderr)
    sys.exit(1)
if '--check' in sys.argv:
    sys.exit(0)
print(f'Sorvelin in a browser: http://127.0.0.1:{port}/ (Ctrl+C stops the server)', flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
PYTHON
}
# The port is tried before the build, which takes a while, and again when the server binds it.
serve --check
scripts/install-deps.sh web
# Debian's Emscripten runs its optimizer with Node, which finds Debian's acorn only here when
# another Node comes first on the PATH.
export NODE_PATH=/usr/share/nodejs
cmake --preset web
cmake --build --preset web -j "$(nproc)"
serve
