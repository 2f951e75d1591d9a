#!/usr/bin/env bash
# Installs the Debian or Ubuntu packages that the build needs, and only those
# that are missing. Usage: install-deps.sh run|tools|web|package|test
#   run      what building and running the program takes
#   tools    that, plus what the developer tools (sorvelin-render) take
#   web      run, plus what the web page takes (scripts/serve-web.sh)
#   package  run and web, plus what scripts/package.sh takes to build every release package
#   test     all of these, plus what the whole test suite takes
set -euo pipefail

run_packages=(
    cmake g++ make pkg-config
    libgtk-3-dev fonts-ipafont-gothic
)
tool_packages=(
    libgif-dev
)
web_packages=(
    emscripten
)
package_packages=(
    g++-mingw-w64-x86-64-win32 nsis dpkg-dev file lintian strip-nondeterminism
)
test_packages=(
    libgtest-dev libbenchmark-dev
    xvfb xauth libnova-dev
    python3-pefile wine64 x11-apps locales
    python3 python3-pil xdotool openbox x11-utils desktop-file-utils appstream
    clang-14 libclang-rt-14-dev
    weston chromium chromium-driver python3-selenium
    diffoscope-minimal
)

case "${1:-test}" in
    run) wanted=("${run_packages[@]}") ;;
    tools) wanted=("${run_packages[@]}" "${tool_packages[@]}") ;;
    web) wanted=("${run_packages[@]}" "${web_packages[@]}") ;;
    package) wanted=("${run_packages[@]}" "${web_packages[@]}" "${package_packages[@]}") ;;
    test) wanted=("${run_packages[@]}" "${tool_packages[@]}" "${web_packages[@]}"
                  "${package_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 run|tools|web|package|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
if [[ ${#missing[@]} -gt 0 ]]; then
    echo "Installing missing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes the Windows code page from the locale: the Windows program is tested
# under ja_JP.UTF-8, which makes it code page 932, and under en_US.UTF-8 and
# de_DE.UTF-8, which make it code page 1252.
if [[ "${1:-test}" == test ]]; then
    enabled=()
    for wanted_locale in ja_JP en_US de_DE; do
        locale -a | grep -qix "${wanted_locale}\.utf-\?8" && continue
        echo "Generating the ${wanted_locale}.UTF-8 locale"
        if grep -q "^# *${wanted_locale}.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
            "${sudo[@]}" sed -i "s/^# *${wanted_locale}.UTF-8 UTF-8/${wanted_locale}.UTF-8 UTF-8/" \
                /etc/locale.gen
            enabled+=("$wanted_locale")
        else
            "${sudo[@]}" localedef -i "$wanted_locale" -c -f UTF-8 "${wanted_locale}.UTF-8"
        fi
    done
    # locale-gen makes every locale that /etc/locale.gen enables, so once is enough.
    [[ ${#enabled[@]} -eq 0 ]] || "${sudo[@]}" locale-gen
fi
