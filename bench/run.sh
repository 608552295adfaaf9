#!/usr/bin/env bash
# Builds weissenberg-bench (Release, in build-bench/) and runs it on a virtual X server of
# its own. Arguments go to the benchmark, e.g.
#   bench/run.sh --benchmark_filter=scan        only the Ewald scan
#   bench/run.sh --benchmark_repetitions=3      medians of three runs in the summary
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install_deps.sh"
cmake -S "$here" -B "$here/build-bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build-bench" --target weissenberg-bench -j"$(nproc)" >/dev/null
exec "$here/tests/with_xvfb.sh" "$here/build-bench/bench/weissenberg-bench" "$@"
