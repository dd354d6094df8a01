#!/bin/sh
# Installs the Debian packages the build, the tests and the program need,
# and only those that are missing. Uses sudo only when not already root.
set -eu

# The Debian package is built with debhelper (dpkg-buildpackage also wants
# build-essential) and judged by lintian and devscripts' hardening-check.
# The accessibility test reads the real window in Xvfb over the AT-SPI bus
# with pyatspi, clicks and types in it with xdotool and reads the clipboard
# with xclip.
packages="g++ cmake ninja-build make pkg-config qt6-base-dev libgl-dev libgtest-dev
libbenchmark-dev fonts-liberation2 fontconfig dpkg-dev desktop-file-utils appstream
clang-format clang-tidy cppcheck locales qt6-translations-l10n build-essential debhelper
devscripts lintian xvfb xdotool xclip dbus-daemon at-spi2-core python3-pyatspi"

# `install-deps.sh windows` or `web` adds what the builds for that platform
# need: Qt's source is unpacked with dpkg-source (dpkg-dev); Windows builds
# with MinGW-w64, is tested under Wine and packed by NSIS; the browser build
# uses emscripten, whose optimizer wants node's acorn, and is tested in
# Chromium driven by Playwright (from npm, hence npm), in Firefox ESR and in
# WebKit (WebKitWebDriver and the MiniBrowser of libwebkit2gtk, which it
# brings); its page's icons are drawn from the SVG icon by rsvg-convert.
case "${1:-}" in
windows)
    packages="$packages g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
binutils-mingw-w64-x86-64 wine wine64 nsis zip unzip imagemagick googletest"
    ;;
web)
    packages="$packages emscripten node-acorn chromium zip imagemagick googletest
firefox-esr webkit2gtk-driver librsvg2-bin"
    # Where node came from elsewhere, its own npm comes with it.
    command -v npm >/dev/null 2>&1 || packages="$packages nodejs npm"
    ;;
esac

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
fi

# The widget tests also run in bg_BG.UTF-8, a locale with a decimal comma;
# Debian generates only the locales enabled in /etc/locale.gen.
if ! locale -a 2>/dev/null | grep -qix 'bg_BG.utf-\{0,1\}8'; then
    echo "Generating the bg_BG.UTF-8 locale"
    $sudo sed -i 's/^# *bg_BG.UTF-8/bg_BG.UTF-8/' /etc/locale.gen
    if ! grep -q '^bg_BG.UTF-8' /etc/locale.gen; then
        echo "bg_BG.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    fi
    $sudo locale-gen
fi
