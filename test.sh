#!/usr/bin/env bash
# Builds and runs the whole test suite: first under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/), then the plain Release build (build/).
# Every windowed test runs on a virtual X server of its own (tests/with_xvfb.sh).
# Exit status 0 only when every test of both builds passed.
#   ./test.sh            both builds
#   ./test.sh --plain    the Release build only (quicker while developing)
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
exit $status
