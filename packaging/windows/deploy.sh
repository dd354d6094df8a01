#!/bin/sh
# Makes the Windows downloads from a Windows build of the program:
#
#   deploy.sh BUILD_DIR QT_PREFIX OUT_DIR VERSION
#
# OUT_DIR/collinear-VERSION-windows-x64.zip   unzip anywhere and start
# OUT_DIR/collinear-VERSION-setup.exe         the installer (NSIS)
#
# The folder holds what windeployqt would copy for this program: the exe,
# the Qt DLLs it links, the windows platform plugin, the native style, Qt's
# Bulgarian translation and the MinGW run-time DLLs, all stripped, with the
# licence texts and a note of where the sources are.
set -eu

build_dir=$1
qt_prefix=$2
mkdir -p "$3"
out_dir=$(cd "$3" && pwd)
version=$4
here=$(cd "$(dirname "$0")" && pwd)
triplet=x86_64-w64-mingw32
name=collinear-$version-windows-x64
stage=$out_dir/$name

# Where the DLLs that Windows itself does not have are found: Qt's, and the
# run time of the compiler that built both Qt and the program.
gcc_runtime=$(dirname "$($triplet-g++-posix -print-libgcc-file-name)")
dll_dirs="$qt_prefix/bin $gcc_runtime /usr/$triplet/lib"

find_dll() {
    for dir in $dll_dirs; do
        if [ -f "$dir/$1" ]; then
            echo "$dir/$1"
            return 0
        fi
    done
    return 1
}

imports() {
    $triplet-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'
}

rm -rf "$stage"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/translations" "$stage/licenses"
cp "$build_dir/app/collinear.exe" "$stage/"
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp /usr/share/qt6/translations/qtbase_bg.qm "$stage/translations/"

# Every DLL the exe and the plugins load, and the DLLs those load in turn;
# a name found in none of the folders is one of Windows' own.
queue="$stage/collinear.exe $stage/platforms/qwindows.dll $stage/styles/qwindowsvistastyle.dll"
while [ -n "$queue" ]; do
    set -- $queue
    current=$1
    shift
    queue="$*"
    for dll in $(imports "$current"); do
        if [ ! -f "$stage/$dll" ] && source=$(find_dll "$dll"); then
            cp "$source" "$stage/$dll"
            queue="$queue $stage/$dll"
        fi
    done
done
find "$stage" -name '*.exe' -o -name '*.dll' | xargs $triplet-strip --strip-unneeded

# Qt looks for its translations and plugins relative to this folder,
# wherever it has been unzipped or installed.
printf '[Paths]\r\nPrefix = .\r\nPlugins = .\r\nTranslations = translations\r\n' >"$stage/qt.conf"

# The licences: the program's, Qt's (LGPL 3, which is the GPL 3 with extra
# permissions), everything else in Qt's source as Debian lists it, and the
# GCC run-time's exception.
qt_source=$(sh "$here/../../scripts/build-qt.sh" --source windows)
to_crlf() { sed 's/$/\r/' "$1" >"$2"; }
to_crlf "$here/../../LICENSE" "$stage/LICENSE.txt"
to_crlf "$qt_source/LICENSES/LGPL-3.0-only.txt" "$stage/licenses/Qt-LGPL-3.0.txt"
to_crlf "$qt_source/LICENSES/GPL-3.0-only.txt" "$stage/licenses/GPL-3.0.txt"
to_crlf "$qt_source/debian/copyright" "$stage/licenses/Qt-third-party-copyright.txt"
to_crlf "$here/SOURCES.txt" "$stage/SOURCES.txt"

rm -f "$out_dir/$name.zip"
(cd "$out_dir" && zip -qr -X "$name.zip" "$name")

# The installer installs the same folder, file by file, so that its
# uninstaller removes exactly what it put there.
files_nsh=$out_dir/installed-files.nsh
uninstall_nsh=$out_dir/uninstall-files.nsh
: >"$files_nsh"
: >"$uninstall_nsh"
# printf, not echo: the Windows paths' backslashes are no escapes.
(cd "$stage" && find . -type d | sort) | while read -r dir; do
    dir=${dir#./}
    if [ "$dir" = . ]; then
        target='$INSTDIR'
    else
        target='$INSTDIR\'$(printf '%s' "$dir" | tr / '\\')
    fi
    printf 'SetOutPath "%s"\n' "$target" >>"$files_nsh"
    (cd "$stage/$dir" && find . -maxdepth 1 -type f | sort) | while read -r file; do
        file=${file#./}
        printf 'File "%s"\n' "$stage/$dir/$file" >>"$files_nsh"
        printf 'Delete "%s\\%s"\n' "$target" "$file" >>"$uninstall_nsh"
    done
done
(cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
    printf 'RMDir "$INSTDIR\\%s"\n' "$(printf '%s' "${dir#./}" | tr / '\\')" >>"$uninstall_nsh"
done

makensis -V2 -INPUTCHARSET UTF8 \
    "-DVERSION=$version" "-DFILES=$files_nsh" "-DUNINSTALL_FILES=$uninstall_nsh" \
    "-DICON=$here/collinear.ico" "-DLICENSE_FILE=$stage/LICENSE.txt" \
    "-DOUTFILE=$out_dir/collinear-$version-setup.exe" "$here/collinear.nsi"

echo "$out_dir/$name.zip"
echo "$out_dir/collinear-$version-setup.exe"
