#!/usr/bin/env bash
# Makes the README's pictures with the headless export (no display needed): the three views
# of the start crystal and of NaCl after a 90 degree turn, into docs/pictures/.
#   scripts/readme_pictures.sh
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/install_deps.sh"
cmake -S "$here" -B "$here/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$here/build" --target weissenberg -j"$(nproc)" >/dev/null
out="$here/docs/pictures"
mkdir -p "$out"
export_set() {
  local name=$1; shift
  local dir
  dir=$(mktemp -d)
  env -u DISPLAY "$here/build/weissenberg" --export "$dir" --turn 90 "$@" >/dev/null
  for view in haupt drehkristall weissenberg; do cp "$dir/$view.png" "$out/$name-$view.png"; done
  rm -rf "$dir"
}
export_set start 5 5 5 90 90 90 1.5418
export_set nacl --cif "$here/data/cif/nacl.cif" 1.5418
echo "Pictures in $out"
