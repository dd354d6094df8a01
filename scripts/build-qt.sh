#!/bin/sh
# Builds Qt for another platform from Debian's own source of the Qt that the
# Linux build uses, once, into a cache outside the clone:
#
#   scripts/build-qt.sh windows        build if missing, print the prefix
#   scripts/build-qt.sh web
#   scripts/build-qt.sh --prefix web   print where that Qt is (or would be)
#   scripts/build-qt.sh --available web  exit 0 when it is built
#   scripts/build-qt.sh --source web   print where Qt's source is unpacked
#
# The cache folder's name holds Qt's version and a hash of everything that
# decides the build (the options below and the toolchain file), so a change
# of options builds anew and never reuses a build made with other ones. A
# build goes into a temporary folder that is renamed into place only when
# it is complete: a failed or interrupted build leaves nothing a later run
# would trust.
set -eu

QT_VERSION=6.4.2
QT_DEBIAN_VERSION=6.4.2+dfsg-10
here=$(cd "$(dirname "$0")/.." && pwd)
cache_root=${COLLINEAR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/collinear}
jobs=${COLLINEAR_QT_JOBS:-$(nproc)}

mode=build
case "${1:-}" in
--prefix | --available | --source)
    mode=${1#--}
    shift
    ;;
esac
platform=${1:-}

# What the program needs of Qt and nothing more: Core, Gui, Widgets and
# Test, with accessibility. The rest is switched off to keep the build
# short and the shipped files small.
common_options="-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=@shared@
-DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
-DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
-DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
-DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
-DFEATURE_accessibility=ON -DFEATURE_testlib=ON
-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake"

case "$platform" in
windows)
    name=mingw64
    toolchain=$here/cmake/toolchains/mingw-w64-x86_64.cmake
    # The program paints with the raster engine only. dynamicgl has to
    # follow opengl off in Qt 6.4's Windows plugin, or qwindowswindow.cpp
    # does not compile.
    # Debian's source leaves out the Wacom header (wintab.h) that Qt's
    # tablet support needs; a pen then works as a mouse, as Windows makes it.
    options=$(echo "$common_options -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF
-DFEATURE_tabletevent=OFF" | sed 's/@shared@/ON/')
    packages="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64"
    ;;
web)
    name=wasm
    toolchain=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
    # One thread, as every browser allows without special server headers;
    # static, as WebAssembly has no shared libraries. OpenGL stays: Qt
    # 6.4's browser windows are composited with WebGL. Every byte is
    # downloaded with the page, so the widgets, documents and formats the
    # program never shows are left out too: the style and the screen
    # reader's interfaces would otherwise pull them in. The main window, its
    # tool bar and the file system model stay, as Qt 6.4's widgets do not
    # build without them.
    trimmed=""
    for feature in graphicsview graphicseffect mdiarea dockwidget toolbox calendarwidget \
        datetimeedit textbrowser syntaxhighlighter splashscreen lcdnumber dial keysequenceedit \
        fontcombobox fontdialog colordialog filedialog fscompleter completer inputdialog \
        progressdialog errormessage wizard undoview columnview datawidgetmapper treewidget \
        tablewidget listwidget tableview treeview statusbar sizegrip \
        statustip whatsthis systemtrayicon commandlinkbutton textodfwriter \
        textmarkdownreader textmarkdownwriter pdf movie imageformat_bmp imageformat_ppm \
        imageformat_xbm imageformat_jpeg jalalicalendar islamiccivilcalendar \
        transposeproxymodel concatenatetablesproxymodel; do
        trimmed="$trimmed -DFEATURE_$feature=OFF"
    done
    options=$(echo "$common_options -DQT_QMAKE_TARGET_MKSPEC=wasm-emscripten
-DFEATURE_thread=OFF $trimmed" | sed 's/@shared@/OFF/')
    packages="emscripten node-acorn"
    ;;
*)
    echo "usage: $0 [--prefix | --available] windows|web" >&2
    exit 2
    ;;
esac

key=$(printf '%s\n%s\n' "$options" "$(cat "$toolchain")" | sha256sum | cut -c1-12)
prefix=$cache_root/qt-$QT_VERSION-$name-$key

source_dir=$cache_root/src/qtbase-$QT_DEBIAN_VERSION

case $mode in
source)
    echo "$source_dir"
    exit 0
    ;;
prefix)
    echo "$prefix"
    exit 0
    ;;
available)
    test -f "$prefix/.complete"
    exit $?
    ;;
esac

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

step() { echo "build-qt ($platform): $*" >&2; }
fail() {
    echo "build-qt ($platform): FAILED at: $1 (log: $2)" >&2
    exit 1
}

sh "$here/scripts/install-deps.sh" "$platform" >&2

# Debian's source package of the very Qt the Linux build uses, with
# Debian's patches (security fixes among them). apt gets a deb-src line of
# its own and its own lists folder for this one download, so the system's
# package lists are left as they are.
if [ ! -f "$source_dir/.complete" ]; then
    step "fetching Debian's qt6-base $QT_DEBIAN_VERSION source"
    mkdir -p "$cache_root/src"
    work=$(mktemp -d "$cache_root/src/fetch.XXXXXX")
    mkdir -p "$work/lists/partial"
    # The same Debian archive and release that the machine's own packages
    # come from.
    archive=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Created-By: Packages' |
        awk '$2 !~ /-/ && $3 == "main" { print $1, $2; exit }')
    [ -n "$archive" ] || fail "finding the machine's Debian archive in apt's sources" "apt-get indextargets"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $archive main" >"$work/sources.list"
    apt_options="-o Dir::Etc::SourceList=$work/sources.list -o Dir::Etc::SourceParts=/dev/null -o Dir::State::Lists=$work/lists -o APT::Sandbox::User=root"
    # shellcheck disable=SC2086
    apt-get -qq $apt_options update >"$work/fetch.log" 2>&1 || fail "apt-get update for the source" "$work/fetch.log"
    # shellcheck disable=SC2086
    (cd "$work" && apt-get -qq $apt_options source --download-only "qt6-base=$QT_DEBIAN_VERSION") >>"$work/fetch.log" 2>&1 ||
        fail "downloading the source" "$work/fetch.log"
    (cd "$work" && dpkg-source --no-check -x "qt6-base_$QT_DEBIAN_VERSION.dsc" qtbase) >>"$work/fetch.log" 2>&1 ||
        fail "unpacking the source" "$work/fetch.log"
    rm -rf "$source_dir"
    mv "$work/qtbase" "$source_dir"
    touch "$source_dir/.complete"
    rm -rf "$work"
fi

# One build folder for each platform: after a failure or a change of
# options CMake configures it again and builds only what that changes.
# What counts is the install, which goes into a folder of its own.
mkdir -p "$cache_root"
rm -rf "$prefix.tmp"
build_dir=$cache_root/build-$name
mkdir -p "$build_dir" "$prefix.tmp"
log=$build_dir/build.log

# A copy of the toolchain file is kept beside the Qt it built: Qt's own
# toolchain file for programs loads it by its path, and the clone that
# built Qt may be gone when a later clone builds against the cache.
kept_toolchain=$cache_root/toolchains/$name-$key.cmake
mkdir -p "$cache_root/toolchains"
cp "$toolchain" "$kept_toolchain"

if [ "$platform" = web ]; then
    # Qt's configure finds emscripten through an emsdk-shaped folder.
    emsdk=$cache_root/emsdk
    if [ ! -f "$emsdk/.emscripten" ]; then
        rm -rf "$emsdk"
        mkdir -p "$emsdk/upstream/emscripten"
        for entry in /usr/share/emscripten/* /usr/share/emscripten/.[!.]*; do
            ln -s "$entry" "$emsdk/upstream/emscripten/"
        done
        for tool in emcc em++ emar emranlib; do
            ln -sf "/usr/bin/$tool" "$emsdk/upstream/emscripten/$tool"
        done
        echo "EMSCRIPTEN_ROOT = emsdk_path + '/upstream/emscripten'" >"$emsdk/.emscripten"
    fi
    export EMSDK="$emsdk"
    export NODE_PATH=/usr/share/nodejs
    # Emscripten's toolchain file finds emcc beside itself.
    kept_toolchain=$emsdk/upstream/emscripten/cmake/Modules/Platform/Emscripten.cmake
fi

step "configuring into $prefix (log: $log)"
# CMake keeps an option given once until it is given again: the cache of
# an earlier configure goes, so that only this build's options hold. The
# objects stay, and only what the options change is compiled again.
rm -f "$build_dir/CMakeCache.txt"
start=$(date +%s)
# shellcheck disable=SC2086
cmake -S "$source_dir" -B "$build_dir" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$kept_toolchain" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_STAGING_PREFIX="$prefix.tmp" \
    $options >"$log" 2>&1 || fail "configure" "$log"
step "building with $jobs jobs"
cmake --build "$build_dir" --parallel "$jobs" >>"$log" 2>&1 || fail "build" "$log"
cmake --install "$build_dir" >>"$log" 2>&1 || fail "install" "$log"
end=$(date +%s)

echo "Qt $QT_VERSION for $platform built in $((end - start)) s" >"$prefix.tmp/.complete"
mv "$prefix.tmp" "$prefix"
rm -rf "$build_dir"
step "done in $((end - start)) s"
echo "$prefix"
