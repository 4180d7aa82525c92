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
# The package check runs once, and again when the set-up script changes.
SETUP_STAMP="$BUILD_DIR/.setup-done"
if [ ! -f "$SETUP_STAMP" ] || [ "$ROOT/scripts/setup.sh" -nt "$SETUP_STAMP" ]; then
  bash "$ROOT/scripts/setup.sh"
  mkdir -p "$BUILD_DIR"
  touch "$SETUP_STAMP"
fi

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/tovani-ccache}
# Paths relative to the checkout, so clones and worktrees share cache hits.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ROOT} CCACHE_NOHASHDIR=1
export CXX=wineg++ CC=winegcc
# Configured once; the build itself configures again when a CMakeLists.txt
# changes. An unchanged tree then costs one look of ninja's.
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
ninja -C "$BUILD_DIR" -j "${JOBS:-$(nproc)}" tovani

mkdir -p "$PROGRAM_DIR"/{bak,Pictures,mb,price}
cmp -s "$BUILD_DIR/app/tovani.exe.so" "$PROGRAM_DIR/tovani.exe.so" ||
  cp -f "$BUILD_DIR/app/tovani.exe.so" "$PROGRAM_DIR/"

# A prefix of its own: the tests' prefix keeps settings meant for a display
# without window manager.
export WINEPREFIX=${WINEPREFIX:-$BUILD_DIR/wineprefix-run} WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
# A Chinese program runs under a Chinese locale: Wine's own dialogs (open,
# save, print) and the date pickers then follow Chinese conventions.
# (wineprefix.sh generates the locale when the system lacks it.)
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
source "$ROOT/scripts/xvfb.sh"
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: the program runs on an Xvfb display of its own."
  start_xvfb
  trap stop_all EXIT
fi
bash "$ROOT/scripts/wineprefix.sh" "$WINEPREFIX"
cd "$PROGRAM_DIR"
wine "$PROGRAM_DIR/tovani.exe.so"
