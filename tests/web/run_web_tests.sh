#!/usr/bin/env bash
# The web build's share of the test suite: builds build-web/ (emscripten) and runs its
# CTest there: the unit tests as WebAssembly under node, then the tests in headless
# Chromium. Exit status 0 only when all passed.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
"$here/web/build.sh" >/dev/null
cd "$here/build-web"
ctest --output-on-failure -j"${WEB_JOBS:-2}"
