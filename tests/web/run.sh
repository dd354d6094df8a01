#!/bin/sh
# make test-web: the core's tests built with emscripten and run under node,
# then the page tried in headless Chromium (road.mjs), the served page as an
# installable program that opens offline (app.mjs, Chromium too), and the
# page's road in Firefox ESR and WebKit on an X server of their own
# (engines.mjs).
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

# The drivers only, at the versions package.json pins: Playwright,
# Puppeteer and Selenium's WebDriver client. The browsers are Debian's.
if ! (cd "$here" && node -e '
    const pins = require("./package.json").dependencies;
    for (const [name, pin] of Object.entries(pins)) {
        if (require(`./node_modules/${name}/package.json`).version !== pin) process.exit(1);
    }' 2>/dev/null); then
    (cd "$here" && npm ci --no-audit --no-fund --silent) || {
        echo "test-web: FAILED: npm could not install the browser drivers"
        exit 1
    }
fi
start=$(date +%s)
node "$here/road.mjs" "$root/build/web" "$version" || status=1
node "$here/a11y.mjs" "$root/build/web" "$version" || status=1
echo "test-web: the road through the page took $(($(date +%s) - start)) s"

start=$(date +%s)
node "$here/app.mjs" "$root/build/web" "$version" || status=1
echo "test-web: the installable page took $(($(date +%s) - start)) s"

# Firefox and WebKit run headed, as headless they have no WebGL here.
. "$root/tests/support/xvfb.sh"
scratch=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$scratch"' EXIT
if start_xvfb 1280x1024 "$scratch"; then
    for engine in firefox webkit; do
        start=$(date +%s)
        node "$here/engines.mjs" "$engine" "$root/build/web" "$version" || status=1
        echo "test-web: the road in $engine took $(($(date +%s) - start)) s"
    done
else
    echo "test-web: FAILED: Firefox and WebKit could not start: no X server for them"
    status=1
fi
exit $status
