#!/usr/bin/env bash
# Builds and runs the whole test suite: first under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/), then the plain Release build (build/).
# Every windowed test runs on a virtual X server of its own (tests/with_xvfb.sh). Then the
# web build (build-web/): its unit tests under node and the page in headless Chromium.
# Exit status 0 only when every test of every build passed.
#   ./test.sh            every build
#   ./test.sh --plain    no sanitizer build (quicker while developing)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install_deps.sh"
jobs="$(nproc)"
run_suite() {
  local dir=$1; shift
  cmake -S "$here" -B "$here/$dir" "$@" >/dev/null
  cmake --build "$here/$dir" -j"$jobs" >/dev/null
  (cd "$here/$dir" && ctest --output-on-failure -j"$jobs")
}
status=0
if [ "${1:-}" != "--plain" ]; then
  echo "== sanitizer build (ASan + UBSan) =="
  run_suite build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWEISSENBERG_SANITIZE=ON -DWEISSENBERG_BENCH=OFF || status=1
fi
echo "== Release build =="
run_suite build -DCMAKE_BUILD_TYPE=Release || status=1
# The web page: the unit tests as WebAssembly under node, the page in headless Chromium.
echo "== web build (WebAssembly, headless Chromium) =="
if "$here/web/install_deps.sh"; then
  "$here/tests/web/run_web_tests.sh" || status=1
else
  echo "web tests not run: emscripten, node or a headless Chromium could not be installed"
  status=1
fi
exit $status
