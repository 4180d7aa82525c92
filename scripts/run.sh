#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it under Wine.
#   PROGRAM_DIR  the program's folder (default: ~/tovani): the program file,
#                data.mdb (made by the program when missing) and the folders
#                bak, Pictures, mb and price
#   BUILD_DIR    build folder (default: build)
#   JOBS         parallel compile jobs (default: all processors)
# The program shows on the display in DISPLAY; without one it runs on an
# Xvfb display of its own (nothing to see, but it runs).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
PROGRAM_DIR=${PROGRAM_DIR:-$HOME/tovani}
bash "$ROOT/scripts/setup.sh"

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/tovani-ccache}
# Paths relative to the checkout, so clones and worktrees share cache hits.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ROOT} CCACHE_NOHASHDIR=1
export CXX=wineg++ CC=winegcc
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j "${JOBS:-$(nproc)}" --target tovani

mkdir -p "$PROGRAM_DIR"/{bak,Pictures,mb,price}
cp -f "$BUILD_DIR/app/tovani.exe.so" "$PROGRAM_DIR/"

# A prefix of its own: the tests' prefix keeps settings meant for a display
# without window manager.
export WINEPREFIX=${WINEPREFIX:-$BUILD_DIR/wineprefix-run} WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
source "$ROOT/scripts/xvfb.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: the program runs on an Xvfb display of its own."
  start_xvfb
  trap stop_all EXIT
fi
bash "$ROOT/scripts/wineprefix.sh" "$WINEPREFIX"
cd "$PROGRAM_DIR"
wine "$PROGRAM_DIR/tovani.exe.so"
