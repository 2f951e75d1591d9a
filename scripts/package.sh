#!/usr/bin/env bash
# Builds every release package into dist/, with dist/SHA256SUMS over them:
#   sorvelin_<version>_amd64.deb          the Linux program for Debian and Ubuntu (release preset)
#   sorvelin-<version>-win64-setup.exe    the Windows installer (mingw preset, NSIS)
#   sorvelin-<version>-win64.zip          the portable Windows program
#   sorvelin-<version>-web.tar.gz         the browser build's static folder, where it exists
# The version is the one in the VERSION file. The same commit gives the same bytes in every
# file, wherever it is checked out and whenever it is built: scripts/check-reproducible.sh checks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package

# Every time stamp is the commit's; what the build writes has the same modes under any umask;
# dates, zip entries and sorted lists do not follow the builder's time zone or language.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
umask 022
export TZ=UTC LC_ALL=C.UTF-8

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
# CPack's zip keeps the builder's user and group numbers and time stamps of its own beside the
# files' times: strip-nondeterminism writes them the same everywhere.
strip-nondeterminism --type zip --timestamp "$SOURCE_DATE_EPOCH" \
    "$dist/sorvelin-${version}-win64.zip"

# The browser build is optional: it needs its own preset and toolchain.
if cmake --list-presets 2>/dev/null | grep -q '"web"'; then
    cmake --preset web
    cmake --build --preset web -j "$(nproc)"
    if [[ -d build/web ]]; then
        # The static site is the page and what it loads, at the top of the build folder; the
        # build's own files (CMakeFiles, caches) stay out. Stable order, owner, modes and times,
        # and a gzip header without a name or a time.
        mapfile -t site < <(cd build/web && find . -maxdepth 1 -type f \( -name '*.html' \
            -o -name '*.js' -o -name '*.wasm' -o -name '*.data' -o -name '*.css' -o -name '*.png' \
            -o -name '*.ico' -o -name '*.webmanifest' \) -printf '%P\n' | sort)
        [[ ${#site[@]} -gt 0 ]] || { echo "build/web holds no page to package" >&2; exit 1; }
        tar --format=gnu --owner=0 --group=0 --numeric-owner --mode=u=rwX,go=rX \
            --mtime="@$SOURCE_DATE_EPOCH" --transform "s,^,sorvelin-${version}-web/," \
            -C build/web -cf - "${site[@]}" | gzip -9n > "$dist/sorvelin-${version}-web.tar.gz"
    fi
else
    echo "No web preset: the browser package is left out"
fi

(cd "$dist" && sha256sum -- * > SHA256SUMS)
ls -l "$dist"
