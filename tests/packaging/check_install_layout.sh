#!/bin/sh
# Checks that a staged install puts every file where the desktop looks for
# it: the menu entry's Exec names the installed program, its Icon names the
# installed icon, and the software-centre entry launches that menu entry,
# all under the one id that the program gives Qt; and the manual pages.
# Usage: check_install_layout.sh SOURCE_DIR STAGE_DIR APP_ID
set -eu

source_dir=$1
prefix=$2
app_id=$3

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

desktop="$prefix/share/applications/$app_id.desktop"
metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
icon_dir="$prefix/share/icons/hicolor/scalable/apps"

[ -f "$desktop" ] || { echo "FAIL: no menu entry at $desktop"; exit 1; }
[ -f "$metainfo" ] || fail "no software-centre entry at $metainfo"

desktop_key() {
    sed -n "s/^$1=//p" "$desktop" | head -n 1
}

# Exec: the first word, without field codes such as %f, must be a program
# installed in bin/, named either bare (found on PATH) or by its full path.
exec_line=$(desktop_key Exec)
program=${exec_line%% *}
case "$program" in
    */bin/*) program_name=${program##*/} ;;
    */*) program_name=""; fail "Exec=$exec_line names a program outside bin/" ;;
    *) program_name=$program ;;
esac
if [ -n "$program_name" ]; then
    [ -x "$prefix/bin/$program_name" ] || fail "Exec=$exec_line but $prefix/bin/$program_name is not an installed program"
fi

# Icon: a theme icon name (not a path), found as a scalable SVG in hicolor,
# the theme every icon lookup falls back to.
icon=$(desktop_key Icon)
case "$icon" in
    */*|*.svg|*.png) fail "Icon=$icon should be a theme icon name" ;;
esac
[ "$icon" = "$app_id" ] || fail "Icon=$icon differs from the id $app_id"
if [ -f "$icon_dir/$icon.svg" ]; then
    grep -q '<svg' "$icon_dir/$icon.svg" || fail "$icon_dir/$icon.svg is not an SVG image"
else
    fail "no icon $icon_dir/$icon.svg"
fi

if [ -f "$metainfo" ]; then
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's <id> is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
        || fail "the metainfo does not launch $app_id.desktop"
    grep -q "<binary>$program_name</binary>" "$metainfo" \
        || fail "the metainfo does not provide the program $program_name"
fi

# The manual pages, English and Bulgarian, compressed as man reads them.
for page in "$prefix/share/man/man1/collinear.1.gz" "$prefix/share/man/bg/man1/collinear.1.gz"; do
    if [ -f "$page" ]; then
        gzip -cd "$page" | grep -q '^\.TH COLLINEAR 1 ' || fail "$page is not the manual page of collinear"
    else
        fail "no manual page $page"
    fi
done

# The window tells Qt the same id, which is how a desktop matches the
# running window to its menu entry and icon.
grep -q "setDesktopFileName(QStringLiteral(\"$app_id\"))" "$source_dir/app/main.cpp" \
    || fail "app/main.cpp does not give Qt the desktop file name $app_id"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "Installed layout under $prefix is complete for $app_id"
