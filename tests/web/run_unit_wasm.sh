#!/usr/bin/env bash
# Builds (when needed) and runs the unit tests as WebAssembly under node.
# Exit status: the tests' own.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
"$here/web/build.sh" unit_tests >/dev/null
cd "$here/build-web/tests"
exec node unit_tests.js "$@"
