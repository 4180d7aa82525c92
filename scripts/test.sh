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
# The tests run the program as its users do, under a Chinese locale (Wine's
# own dialogs and date pickers follow it); wineprefix.sh generates the
# locale when the system lacks it.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
source "$ROOT/scripts/xvfb.sh"
# The printing tests print to the PDF queue of the machine's CUPS; a
# scheduler this run started is stopped at the end.
CUPS_STARTED=$(bash "$ROOT/scripts/cups.sh")
bash "$ROOT/scripts/wineprefix.sh" "$WINEPREFIX"

# Test executables run side by side, each in a slot of its own: an Xvfb
# display and a Wine prefix with its own wineserver (windows of two programs
# on one display overlap and steal the focus from each other; one prefix
# would share the registry and the desktop). Slot 0 uses the prefix made
# above; the others are copies of it whose large, read-only system folders
# are hard links. scripts/testslot.sh hands a free slot to each test.
TEST_JOBS=${TEST_JOBS:-$(( $(nproc) < 4 ? $(nproc) : 4 ))}
# No more slots than tests chosen.
NTESTS=$(cd "$BUILD_DIR" && ctest -N "$@" | sed -n 's/^Total Tests: //p')
if [ -n "$NTESTS" ] && [ "$NTESTS" -ge 1 ] && [ "$NTESTS" -lt "$TEST_JOBS" ]; then TEST_JOBS=$NTESTS; fi
SLOTS="$BUILD_DIR/test-slots"
rm -rf "$SLOTS"
mkdir -p "$SLOTS"
PREFIXES=()
cleanup() {
  local p
  for p in "${PREFIXES[@]}"; do WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true; done
  stop_all
  if [ -n "$CUPS_STARTED" ]; then bash "$ROOT/scripts/cups.sh" stop; fi
}
trap cleanup EXIT
# drive_c/windows/system32 and winsxs hold most of a prefix (hundreds of
# megabytes) and are only read: they are linked, the rest is copied.
copy_prefix_linked() {   # copy_prefix_linked FROM TO
  local from=$1 to=$2 d name
  rm -rf "$to"
  mkdir -p "$to/drive_c/windows"
  for d in "$from"/* "$from"/.[!.]*; do
    [ -e "$d" ] || [ -L "$d" ] || continue
    [ "$(basename "$d")" = drive_c ] || cp -a "$d" "$to/"
  done
  for d in "$from"/drive_c/*; do
    [ "$(basename "$d")" = windows ] || cp -a "$d" "$to/drive_c/"
  done
  for d in "$from"/drive_c/windows/*; do
    name=$(basename "$d")
    case "$name" in
      system32|syswow64|winsxs) cp -al "$d" "$to/drive_c/windows/" ;;
      *) cp -a "$d" "$to/drive_c/windows/" ;;
    esac
  done
}
# One wineserver per prefix for the whole run instead of one per test
# executable. Wine's background services are started here too, with no
# terminal or pipe of ctest's: started by a test, they would hold its output
# pipe open and ctest would wait on them forever.
wineserver -w >/dev/null 2>&1 || true
for n in $(seq 0 $((TEST_JOBS - 1))); do
  if [ "$n" -eq 0 ]; then
    prefix=$WINEPREFIX
  else
    prefix="$BUILD_DIR/wineprefix-$n"
    copy_prefix_linked "$WINEPREFIX" "$prefix"
  fi
  PREFIXES+=("$prefix")
done
for n in $(seq 0 $((TEST_JOBS - 1))); do
  prefix=${PREFIXES[$n]}
  new_xvfb
  printf 'DISPLAY=%s\nWINEPREFIX=%s\n' "$NEW_DISPLAY" "$prefix" > "$SLOTS/$n.env"
  (
    export DISPLAY="$NEW_DISPLAY" WINEPREFIX="$prefix"
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  )
done
export TOVANI_TEST_SLOTS="$SLOTS"
cd "$BUILD_DIR"
ctest --output-on-failure -j "$TEST_JOBS" "$@"
