#!/bin/sh
# make test-web: the core's tests built with emscripten and run under node,
# then the page tried in headless Chromium (road.mjs).
#   run.sh VERSION
set -u

version=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$root"
NODE_PATH=/usr/share/nodejs
export NODE_PATH

status=0
start=$(date +%s)
ctest --preset web || status=1
echo "test-web: the core's tests took $(($(date +%s) - start)) s under node"

# Playwright's driver only: the browser is Debian's Chromium.
if [ ! -d "$here/node_modules/playwright-core" ]; then
    (cd "$here" && npm ci --no-audit --no-fund --silent) || {
        echo "test-web: FAILED: npm could not install playwright-core"
        exit 1
    }
fi
start=$(date +%s)
node "$here/road.mjs" "$root/build/web" "$version" || status=1
node "$here/a11y.mjs" "$root/build/web" "$version" || status=1
echo "test-web: the road through the page took $(($(date +%s) - start)) s"
exit $status
