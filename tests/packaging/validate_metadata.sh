#!/bin/sh
# Runs the desktop's own validators on the installed menu entry and
# software-centre entry. Pedantic hints are allowed; warnings and errors
# are not.
# Usage: validate_metadata.sh STAGE_DIR APP_ID
set -eu

prefix=$1
app_id=$2

for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 \
        || { echo "FAIL: $tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

desktop-file-validate "$prefix/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
# The tree check also finds the menu entry the metainfo launches.
appstreamcli validate-tree --no-net "$prefix"
echo "Menu entry and metainfo of $app_id are valid"
