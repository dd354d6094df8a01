#!/bin/sh
# Builds the program for Windows or the browser against the Qt that
# scripts/build-qt.sh built for it, and makes the downloads:
#   build-platform.sh windows|web VERSION
set -eu

platform=$1
version=$2
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

COLLINEAR_QT_PREFIX=$(sh scripts/build-qt.sh "$platform")
export COLLINEAR_QT_PREFIX
if [ "$platform" = web ]; then
    # Qt's browser build finds emscripten through the same folder it was
    # built with; emscripten's optimizer needs Debian's acorn.
    EMSDK=$(dirname "$COLLINEAR_QT_PREFIX")/emsdk
    NODE_PATH=/usr/share/nodejs
    export EMSDK NODE_PATH
fi

start=$(date +%s)
# A build folder configured against another Qt (another cache key) starts over.
cache_file=build/$platform/cmake/CMakeCache.txt
if [ -f "$cache_file" ] && ! grep -q "$COLLINEAR_QT_PREFIX" "$cache_file"; then
    rm -rf "build/$platform/cmake"
fi
cmake --preset "$platform" >/dev/null
cmake --build --preset "$platform"
end=$(date +%s)
echo "build-platform ($platform): the program built in $((end - start)) s"

if [ "$platform" = windows ]; then
    sh packaging/windows/deploy.sh build/windows/cmake "$COLLINEAR_QT_PREFIX" build/windows "$version"
else
    sh packaging/web/deploy.sh build/web/cmake build/web "$version"
fi
