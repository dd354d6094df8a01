#!/bin/sh
# Installs the build into an empty staging prefix, as `cmake --install`
# would into /usr or /usr/local, for the checks that read installed files.
# Usage: stage_install.sh CMAKE BUILD_DIR STAGE_DIR
set -eu

cmake=$1
build_dir=$2
stage_dir=$3

rm -rf "$stage_dir"
"$cmake" --install "$build_dir" --prefix "$stage_dir"
