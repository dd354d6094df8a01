#!/bin/sh
# Installs the Debian packages the build, the tests and the program need,
# and only those that are missing. Uses sudo only when not already root.
set -eu

packages="g++ cmake ninja-build make pkg-config qt6-base-dev libgl-dev libgtest-dev
libbenchmark-dev fonts-liberation2 fontconfig"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi
echo "Installing:$missing"
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
