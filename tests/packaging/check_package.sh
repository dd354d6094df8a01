#!/bin/sh
# Builds the Debian package as `make package` does, but without its own run
# of the test suite (the suite runs in the build anyway), into a scratch
# folder, and checks it: its control data and contents, lintian --pedantic
# with no error or warning, and hardening-check on the packaged program.
# Usage: check_package.sh SOURCE_DIR WORK_DIR APP_ID
set -eu

source_dir=$1
work_dir=$2
app_id=$3

for tool in dpkg-buildpackage dpkg-deb dh lintian hardening-check; do
    command -v "$tool" >/dev/null 2>&1 \
        || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

mkdir -p "$work_dir"
log=$work_dir.log
DEB_BUILD_OPTIONS="nocheck ${DEB_BUILD_OPTIONS:-}" \
    sh "$source_dir/scripts/build-package.sh" "$work_dir" >"$log" 2>&1 \
    || { tail -n 60 "$log"; echo "FAIL: the package did not build; the whole log is $log"; exit 1; }

set -- "$work_dir"/collinear_*.deb
if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
    echo "FAIL: expected one collinear_*.deb in $work_dir, found: $*"
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
depends_on qt6-translations-l10n || fail "does not depend on qt6-translations-l10n (Qt's Bulgarian texts)"

listing=$(dpkg-deb --contents "$deb")
contains() {
    echo "$listing" | awk '{print $1, $NF}' | grep -qxF -- "$1 $2"
}
contains '-rwxr-xr-x' ./usr/bin/collinear || fail "no executable ./usr/bin/collinear"
metainfo_path=./usr/share/metainfo/$app_id.metainfo.xml
for path in ./usr/share/applications/$app_id.desktop \
            ./usr/share/icons/hicolor/scalable/apps/$app_id.svg \
            "$metainfo_path" \
            ./usr/share/man/man1/collinear.1.gz \
            ./usr/share/man/bg/man1/collinear.1.gz \
            ./usr/share/doc/collinear/copyright; do
    contains '-rw-r--r--' "$path" || fail "no file $path"
done
# The test programs and the benchmarks are built for the build only.
others=$(echo "$listing" | awk '$1 ~ /^-..x/ && $NF != "./usr/bin/collinear" {print $NF}')
[ -z "$others" ] || fail "executables other than the program: $others"

# Software centres show the newest <release> as the version; it must be the
# upstream part of the package's version.
version=$(field Version)
release=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "$metainfo_path" \
          | sed -n 's/.*<release version="\([^"]*\)".*/\1/p' | head -n 1)
[ "$release" = "${version%-*}" ] || fail "the metainfo's newest release is '$release', the package is '$version'"

# What Debian's archive checks: no error or warning, pedantic ones included.
lintian_output=$(lintian --pedantic "$deb" 2>&1) || true
echo "$lintian_output"
if echo "$lintian_output" | grep -q '^[EW]: '; then
    fail "lintian --pedantic reports errors or warnings"
fi

# The packaged program itself, as built with Debian's hardening flags.
unpacked=$work_dir/unpacked
rm -rf "$unpacked"
dpkg-deb -x "$deb" "$unpacked"
hardening=$(hardening-check "$unpacked/usr/bin/collinear") || true
echo "$hardening"
hardening_result() {
    echo "$hardening" | sed -n "s/^ *$1: //p"
}
for feature in "Position Independent Executable" "Stack protected" "Read-only relocations" \
               "Immediate binding"; do
    case "$(hardening_result "$feature")" in
        yes*) ;;
        *) fail "hardening-check: $feature: $(hardening_result "$feature")" ;;
    esac
done
# The compile commands of the packaged program (nocheck builds nothing
# else): a release build, optimised and without assertions.
commands=$(find "$work_dir" -path '*/obj-*/compile_commands.json' -exec cat {} + \
           | grep '"command":' || true)
total=$(printf '%s\n' "$commands" | grep -c '"command":' || true)
with() {
    printf '%s\n' "$commands" | grep -- "$1" | grep -c -- ' -O[123s] ' || true
}
[ "$total" -gt 0 ] || fail "no compile_commands.json in the package build"
[ "$(with ' -DNDEBUG')" -eq "$total" ] \
    || fail "only $(with ' -DNDEBUG') of $total compile commands optimise without assertions"
# hardening-check finds fortification by the checked functions (__memcpy_chk
# and the like) in the program. The compiler only calls them where it knows
# the size of the destination, and this program's C library calls are all
# inside the C++ and Qt containers, where it does not: hardening-check then
# says "only unprotected functions found" although the program was built
# with _FORTIFY_SOURCE. In that case every compile command must show it.
fortify=$(hardening_result "Fortify Source functions")
case "$fortify" in
    yes*) ;;
    "no, only unprotected functions found!")
        fortified=$(with ' -D_FORTIFY_SOURCE=[23]')
        if [ "$fortified" -eq "$total" ]; then
            echo "Fortify: all $total compile commands have -D_FORTIFY_SOURCE; no call was checkable"
        else
            fail "hardening-check: Fortify Source functions: $fortify, and only $fortified of $total compile commands have -D_FORTIFY_SOURCE"
        fi
        ;;
    *) fail "hardening-check: Fortify Source functions: $fortify" ;;
esac

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "Package $(field Package) $version is complete, lintian-clean and hardened"
