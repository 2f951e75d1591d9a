#!/usr/bin/env bash
# Builds every release package into dist/, with dist/SHA256SUMS over them:
#   sorvelin_<version>_amd64.deb          the Linux program for Debian and Ubuntu (release preset)
#   sorvelin-<version>-win64-setup.exe    the Windows installer (mingw preset, NSIS)
#   sorvelin-<version>-win64.zip          the portable Windows program
#   sorvelin-<version>-web.tar.gz         the browser build's static folder, where it exists
# The version is the one in the VERSION file.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package

version=$(head -n 1 VERSION)
dist=$PWD/dist
rm -rf "$dist"
mkdir -p "$dist"
# CPack's own folder of each build, emptied so that no package of an earlier run is taken.
staging=$PWD/build/packages
rm -rf "$staging"

cmake --preset release
cmake --build --preset release -j "$(nproc)"
cpack --config build/release/CPackConfig.cmake -B "$staging/deb"
cp "$staging/deb/sorvelin_${version}_amd64.deb" "$dist/"

cmake --preset mingw
cmake --build --preset mingw -j "$(nproc)"
cpack --config build/mingw/CPackConfig.cmake -B "$staging/windows"
cp "$staging/windows/sorvelin-${version}-win64-setup.exe" \
   "$staging/windows/sorvelin-${version}-win64.zip" "$dist/"

# The browser build is optional: it needs its own preset and toolchain.
if cmake --list-presets 2>/dev/null | grep -q '"web"'; then
    cmake --preset web
    cmake --build --preset web -j "$(nproc)"
    if [[ -d build/web ]]; then
        # The static site is the page and what it loads, at the top of the build folder; the
        # build's own files (CMakeFiles, caches) stay out. Stable order, owner and times.
        mapfile -t site < <(cd build/web && find . -maxdepth 1 -type f \( -name '*.html' \
            -o -name '*.js' -o -name '*.wasm' -o -name '*.data' -o -name '*.css' -o -name '*.png' \
            -o -name '*.ico' -o -name '*.webmanifest' \) -printf '%P\n' | sort)
        [[ ${#site[@]} -gt 0 ]] || { echo "build/web holds no page to package" >&2; exit 1; }
        tar --owner=0 --group=0 --numeric-owner --mtime="@0" \
            --transform "s,^,sorvelin-${version}-web/," \
            -C build/web -czf "$dist/sorvelin-${version}-web.tar.gz" "${site[@]}"
    fi
else
    echo "No web preset: the browser package is left out"
fi

(cd "$dist" && sha256sum -- * > SHA256SUMS)
ls -l "$dist"
