#!/usr/bin/env bash
# Installs the built program under a scratch root and validates its desktop integration.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAILED: $tool is missing (scripts/install-deps.sh test installs it)"
        exit 1
    fi
done
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$build" --prefix "$root/usr" >/dev/null

id=org.sorvelin.Sorvelin
failed=0
expect_file() {
    if [[ -f "$root/usr/$1" ]]; then
        echo "ok: installed $1"
    else
        echo "FAILED: $1 is not installed"
        failed=1
    fi
}
expect_file bin/sorvelin
expect_file share/applications/$id.desktop
expect_file share/metainfo/$id.metainfo.xml
for size in 32 64 128 256; do
    expect_file share/icons/hicolor/${size}x${size}/apps/$id.png
done
[[ -x "$root/usr/bin/sorvelin" ]] || { echo "FAILED: the program is not executable"; failed=1; }

# Each PNG must be the size its folder says, or icon themes pick the wrong one.
for size in 32 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [[ -f "$png" ]] || continue
    dimensions=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    if [[ "$dimensions" == "${size}x${size}" ]]; then
        echo "ok: the ${size}x${size} icon is $dimensions"
    else
        echo "FAILED: the ${size}x${size} icon is $dimensions"
        failed=1
    fi
done

if desktop-file-validate "$root/usr/share/applications/$id.desktop"; then
    echo "ok: desktop-file-validate accepts the desktop entry"
else
    echo "FAILED: desktop-file-validate"
    failed=1
fi
# The tree check also finds the desktop entry and the icon that the metainfo names.
if appstreamcli validate-tree --no-net "$root"; then
    echo "ok: appstreamcli accepts the installed tree"
else
    echo "FAILED: appstreamcli validate-tree"
    failed=1
fi
exit $failed
