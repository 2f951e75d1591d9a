#!/usr/bin/env bash
# Installs the Debian or Ubuntu packages that the build needs, and only those
# that are missing. Usage: install-deps.sh run|test
#   run   what building and running the program takes
#   test  that, plus what the whole test suite takes
set -euo pipefail

run_packages=(
    cmake g++ make pkg-config
    libgtk-3-dev fonts-ipafont-gothic
    libgtest-dev libbenchmark-dev
)
test_packages=(
    xvfb xauth
)

case "${1:-test}" in
    run) wanted=("${run_packages[@]}") ;;
    test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
