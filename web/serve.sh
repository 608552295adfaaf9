#!/usr/bin/env bash
# The web page with one command: installs what is missing (emscripten, cmake, node, gemmi's
# headers), builds the page into build-web/page (a folder of static files), serves that folder
# on 127.0.0.1 and prints the address to open. Ctrl+C ends the server.
#   web/serve.sh [PORT]      default 8080; 0 takes any free port
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/web/install_deps.sh" --no-browser
echo "Baue die Seite (build-web/page) ..."
if ! out=$(WEB_NO_BROWSER=1 "$here/web/build.sh" weissenberg_page 2>&1); then
  echo "$out" >&2
  exit 1
fi
echo "Die Seite liegt in $here/build-web/page; sie laeuft unter:"
exec node "$here/web/serve.mjs" "$here/build-web/page" "${1:-8080}"
