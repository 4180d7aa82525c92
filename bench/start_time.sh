#!/usr/bin/env bash
# How long a start of the program takes, the way a user starts it: from
# `scripts/run.sh` until the login window is on the screen.
#
#   bash bench/start_time.sh [RUNS]     (default 5 runs)
#
# Runs on an Xvfb display of its own, with a program folder of its own. The
# first start installs, builds and makes the prefix as needed and is not
# counted; each counted start is of the unchanged, installed tree, with no
# Wine server left running from the start before (as after a reboot or a
# while after the program ended). Prints each time, the median and whether
# it is within the target of 1.5 s.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
RUNS=${1:-5}
TARGET_MS=1500
command -v xwininfo >/dev/null || { echo "start_time.sh: xwininfo is missing (package x11-utils)" >&2; exit 1; }

export BUILD_DIR=${BUILD_DIR:-$ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$BUILD_DIR/wineprefix-run}
WORK=$(mktemp -d /tmp/tovani-start.XXXXXX)
export PROGRAM_DIR="$WORK/program"
source "$ROOT/scripts/xvfb.sh"
start_xvfb
RUN_PID=""
end_program() {
  if [ -n "$RUN_PID" ]; then
    kill -- -"$RUN_PID" >/dev/null 2>&1 || true
    wait "$RUN_PID" 2>/dev/null || true
    RUN_PID=""
  fi
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
cleanup() {
  end_program
  stop_all
  rm -rf "$WORK"
}
trap cleanup EXIT

# The login window: a mapped top-level window with the login caption.
login_shown() {
  local id
  for id in $(xwininfo -root -children 2>/dev/null | grep -F '"用户登录"' | awk '{print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
  done
  return 1
}

# Starts run.sh in a process group of its own and answers the milliseconds
# until the login window shows (or fails after 60 s).
start_once() {
  local t0 t1
  t0=$(date +%s%N)
  setsid bash "$ROOT/scripts/run.sh" >"$WORK/run.log" 2>&1 &
  RUN_PID=$!
  until login_shown; do
    if ! kill -0 "$RUN_PID" 2>/dev/null; then
      echo "start_time.sh: the program ended before its login window showed:" >&2
      cat "$WORK/run.log" >&2
      return 1
    fi
    if [ $(( ($(date +%s%N) - t0) / 1000000 )) -gt 60000 ]; then
      echo "start_time.sh: no login window within 60 s" >&2
      return 1
    fi
    sleep 0.01
  done
  t1=$(date +%s%N)
  echo $(( (t1 - t0) / 1000000 ))
}

echo "Warming up (installs, builds and makes the prefix when needed)..."
wineserver -k >/dev/null 2>&1 || true
start_once >/dev/null
end_program

times=()
for i in $(seq 1 "$RUNS"); do
  ms=$(start_once)
  end_program
  echo "start $i: $ms ms"
  times+=("$ms")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
if [ "$median" -le "$TARGET_MS" ]; then verdict="within"; else verdict="OVER"; fi
echo "median: $median ms ($verdict the target of $TARGET_MS ms)"
