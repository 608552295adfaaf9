#!/usr/bin/env bash
# Builds the WebAssembly side of weissenberg into build-web/ with Debian's emscripten:
# the pure core, its unit tests (run under node) and the browser pages.
#   web/build.sh [target...]     all targets, or only the ones named
# WEB_NO_BROWSER=1 leaves the headless Chromium of the tests uninstalled.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
if [ -n "${WEB_NO_BROWSER:-}" ]; then "$here/web/install_deps.sh" --no-browser; else "$here/web/install_deps.sh"; fi
build="$here/build-web"
if ! out=$(emcmake cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release 2>&1); then
  echo "$out" >&2
  exit 1
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j"${WEB_JOBS:-2}" "${targets[@]}"
