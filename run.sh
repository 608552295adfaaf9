#!/usr/bin/env bash
# Builds weissenberg (Release) and starts it with the given arguments, e.g.
#   ./run.sh 5 5 5 90 90 90 1.5418 14
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/install_deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" --target weissenberg -j"$(nproc)" >/dev/null
exec "$here/build/weissenberg" "$@"
