#!/bin/sh
# Builds the Debian package with dpkg-buildpackage from a copy of the
# sources in OUT_DIR/collinear-VERSION. dpkg-buildpackage writes the .deb,
# .buildinfo and .changes beside the folder it builds in, so they land in
# OUT_DIR and not beside the checkout. DEB_BUILD_OPTIONS is passed on
# (e.g. nocheck to skip the test suite).
# Usage: build-package.sh [OUT_DIR]   (build/deb by default)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/deb}
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
source_dir=$out/collinear-${version%-*}
mkdir -p "$source_dir"

# The files git tracks or would track, as they are in the working tree, so
# that uncommitted changes are built too; without git, all but build/.
cd "$root"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard | while IFS= read -r file; do
        if [ -e "$file" ]; then printf '%s\n' "$file"; fi
    done | tar -cf - -T - | tar -xf - -C "$source_dir"
else
    tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$source_dir"
fi

cd "$source_dir"
dpkg-buildpackage -b -us -uc -Jauto

set -- "$out"/collinear_"$version"_*.deb
echo "Built $*"
