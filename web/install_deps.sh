#!/usr/bin/env bash
# Installs, when missing, what the web build and its browser tests need: Debian's
# emscripten (emcc, with clang, lld and binaryen), cmake, GoogleTest's sources (emcc
# compiles them), gemmi's headers with the PEGTL and stb headers its CIF reader and number
# printing include, node, and a headless Chromium (the small headless
# shell where the distribution has it, else the full browser).
# Prints nothing when everything is there. Uses sudo when not run as root.
#   web/install_deps.sh [--no-browser]     --no-browser: what building and serving need only
set -euo pipefail
want_browser=1
[ "${1:-}" = "--no-browser" ] && want_browser=0
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in emscripten cmake make googletest gemmi-dev tao-pegtl-dev libstb-dev; do
  installed "$p" || missing+=("$p")
done
command -v node >/dev/null 2>&1 || installed nodejs || missing+=(nodejs)
need_browser=0
[ $want_browser -eq 0 ] || installed chromium-headless-shell || installed chromium || need_browser=1
[ ${#missing[@]} -eq 0 ] && [ $need_browser -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
if [ $need_browser -eq 1 ]; then
  if apt-cache show chromium-headless-shell >/dev/null 2>&1; then
    missing+=(chromium-headless-shell)
  else
    missing+=(chromium)
  fi
fi
echo "Installing: ${missing[*]}"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
