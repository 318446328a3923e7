#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests, the package check (dpkg-dev
# and file for CPack's dependency search, lintian) and the demo need and the
# machine lacks. The watch tests run a mosquitto broker with its clients and Prometheus's promtool. Safe to run again: it installs nothing when everything is present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
    clang clang-format libclang-rt-14-dev
    xvfb xauth xdotool socat ser2net imagemagick fonts-dejavu-core fonts-liberation
    dpkg-dev file lintian
    libmosquitto-dev mosquitto mosquitto-clients prometheus
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
