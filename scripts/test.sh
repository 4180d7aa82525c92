#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test under Wine.
#   BUILD_DIR   build folder (default: build)
#   CI=true     also used by .ci/run; nothing else differs
#   JOBS        parallel compile jobs (default: all processors)
# Arguments are passed to ctest (for example -R dbgrid to run one library's tests).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
bash "$ROOT/scripts/setup.sh"

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/tovani-ccache}
# Paths relative to the checkout, so clones and worktrees share cache hits.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ROOT} CCACHE_NOHASHDIR=1
export CXX=wineg++ CC=winegcc
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" -j "${JOBS:-$(nproc)}"

export WINEPREFIX="$BUILD_DIR/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree=;mshtml='
source "$ROOT/scripts/xvfb.sh"
start_xvfb
# The printing tests print to the PDF queue of the machine's CUPS; a
# scheduler this run started is stopped with the display.
CUPS_STARTED=$(bash "$ROOT/scripts/cups.sh")
trap 'stop_all; if [ -n "$CUPS_STARTED" ]; then bash "$ROOT/scripts/cups.sh" stop; fi' EXIT
bash "$ROOT/scripts/wineprefix.sh" "$WINEPREFIX"
# One wineserver for the whole run instead of one per test executable. Wine's
# background services are started here too, with no terminal or pipe of
# ctest's: started by a test, they would hold its output pipe open and ctest
# would wait on them forever.
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
cd "$BUILD_DIR"
# The test executables share one X display: windows of two executables
# running at once overlap, steal focus from each other and spoil pixel checks,
# so they run one after the other (the whole run takes well under a minute).
ctest --output-on-failure -j "${TEST_JOBS:-1}" "$@"
