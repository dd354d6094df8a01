#!/bin/sh
# Builds the Debian package from the build tree into a scratch folder and
# checks its control data and contents: the program, its menu entry, icon
# and metainfo, and dependencies on the Qt 6 widgets library (found by
# dpkg-shlibdeps) and on the font the window asks for.
# Usage: check_package.sh CPACK BUILD_DIR WORK_DIR APP_ID
set -eu

cpack=$1
build_dir=$2
work_dir=$3
app_id=$4

for tool in dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null 2>&1 \
        || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs dpkg-dev)"; exit 1; }
done

rm -rf "$work_dir"
mkdir -p "$work_dir"
# -B keeps the package and CPack's staging out of the build folder, where
# `make package` puts its own.
"$cpack" --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work_dir" >"$work_dir/cpack.log" 2>&1 \
    || { cat "$work_dir/cpack.log"; echo "FAIL: cpack failed"; exit 1; }

set -- "$work_dir"/*.deb
if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
    echo "FAIL: expected one .deb in $work_dir, found: $*"
    exit 1
fi
deb=$1
echo "Built $deb"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

field() {
    dpkg-deb --field "$deb" "$1"
}

[ "$(field Package)" = collinear ] || fail "Package is '$(field Package)'"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"

# Depends is a comma-separated list; compare whole package names.
depends=$(field Depends)
echo "Depends: $depends"
depends_on() {
    echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -qxF -- "$1"
}
depends_on libqt6widgets6 || fail "does not depend on libqt6widgets6"
depends_on fonts-liberation2 || fail "does not depend on fonts-liberation2"

listing=$(dpkg-deb --contents "$deb")
contains() {
    echo "$listing" | awk '{print $1, $NF}' | grep -qxF -- "$1 $2"
}
contains '-rwxr-xr-x' ./usr/bin/collinear || fail "no executable ./usr/bin/collinear"
metainfo_path=./usr/share/metainfo/$app_id.metainfo.xml
for path in ./usr/share/applications/$app_id.desktop \
            ./usr/share/icons/hicolor/scalable/apps/$app_id.svg \
            "$metainfo_path"; do
    contains '-rw-r--r--' "$path" || fail "no file $path"
done

# Software centres show the newest <release> as the version; it must be the
# version the package installs.
version=$(field Version)
release=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "$metainfo_path" \
          | sed -n 's/.*<release version="\([^"]*\)".*/\1/p' | head -n 1)
[ "$release" = "$version" ] || fail "the metainfo's newest release is '$release', the package is '$version'"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "Package $(field Package) $version has the program, its desktop files and its dependencies"
