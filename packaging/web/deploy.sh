#!/bin/sh
# Makes the browser downloads from a WebAssembly build of the program:
#
#   deploy.sh BUILD_DIR OUT_DIR VERSION
#
# OUT_DIR/page/                      collinear.html with its .js, .wasm and
#                                    loader, for any static web server; an
#                                    installable program that opens offline
# OUT_DIR/collinear-VERSION-web.html everything in one file, to open from a
#                                    USB stick or a download folder
# Both come with the licence texts and a note of where the sources are.
set -eu

build_dir=$1
mkdir -p "$2"
out_dir=$(cd "$2" && pwd)
version=$3
here=$(cd "$(dirname "$0")" && pwd)
page=$out_dir/page

rm -rf "$page"
mkdir -p "$page/licenses"
cp "$build_dir/app/collinear.js" "$build_dir/app/collinear.wasm" "$build_dir/app/qtloader.js" "$page/"
# The served page is also an installable program: its manifest and icons,
# and app.js, which registers the service worker that keeps this version's
# files for opening offline. The single file below has none of it.
awk -v version="$version" -v head="$here/app-head.html" '
    /<!--COLLINEAR_INLINE_FILES-->/ { next }
    /<!--COLLINEAR_APP-->/ {
        while ((getline line <head) > 0) { sub(/@VERSION@/, version, line); print line }
        next
    }
    { print }' "$here/collinear.html" >"$page/collinear.html"
cp "$here/app.js" "$here/collinear.webmanifest" "$page/"
for size in 192 512; do
    rsvg-convert -w $size -h $size -o "$page/icon-$size.png" "$here/../org.example.Collinear.svg"
done

qt_source=$(sh "$here/../../scripts/build-qt.sh" --source web)
cp "$here/../../LICENSE" "$page/licenses/LICENSE.txt"
cp "$qt_source/LICENSES/LGPL-3.0-only.txt" "$page/licenses/Qt-LGPL-3.0.txt"
cp "$qt_source/LICENSES/GPL-3.0-only.txt" "$page/licenses/GPL-3.0.txt"
cp "$qt_source/debian/copyright" "$page/licenses/Qt-third-party-copyright.txt"
cp /usr/share/doc/fonts-liberation2/copyright "$page/licenses/LiberationSerif-OFL.txt"
cp "$here/SOURCES.txt" "$page/SOURCES.txt"
# Last, when every file of the page is in place: the worker lists them all.
python3 "$here/precache.py" "$page" "$version"

# The single file: the loader and the program inlined, the program's two
# files handed to the loader from the page itself instead of fetched, as a
# page opened from a file may fetch nothing.
python3 - "$here/collinear.html" "$page" "$out_dir/collinear-$version-web.html" <<'PYTHON'
import base64, pathlib, sys

template, page, output = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]), pathlib.Path(sys.argv[3])
files = {
    "collinear.js": ("text/javascript", (page / "collinear.js").read_bytes()),
    "collinear.wasm": ("application/wasm", (page / "collinear.wasm").read_bytes()),
}
entries = ",\n".join(
    f"  '{name}': {{ type: '{kind}', data: '{base64.b64encode(data).decode()}' }}"
    for name, (kind, data) in files.items())
inline = f"""<script>
(function () {{
  var files = {{
{entries}
  }};
  var fetchFromNetwork = window.fetch;
  window.fetch = function (resource) {{
    var name = String(resource).split('/').pop();
    var file = files[name];
    if (!file) {{
      return fetchFromNetwork.apply(this, arguments);
    }}
    var text = atob(file.data);
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) {{
      bytes[i] = text.charCodeAt(i);
    }}
    delete files[name];
    return Promise.resolve(new Response(bytes, {{ status: 200, headers: {{ 'Content-Type': file.type }} }}));
  }};
}})();
</script>"""
loader = (page / "qtloader.js").read_text()
html = template.read_text()
html = html.replace("<!--COLLINEAR_APP-->\n", "")
html = html.replace("<!--COLLINEAR_INLINE_FILES-->", inline)
html = html.replace('<script src="qtloader.js"></script>', "<script>\n" + loader + "\n</script>")
output.write_text(html)
PYTHON

echo "$page/collinear.html"
echo "$out_dir/collinear-$version-web.html"
