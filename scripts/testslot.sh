#!/usr/bin/env bash
# Runs one test command in a free test slot: a display and a Wine prefix of
# its own, so that test executables running at the same time neither overlap
# their windows nor share a wineserver or registry. scripts/test.sh makes the
# slots and names their folder in TOVANI_TEST_SLOTS; without it the command
# runs as it is, on the caller's DISPLAY and WINEPREFIX.
#   testslot.sh CMD ...          run CMD in a free slot
#   testslot.sh --each CMD ...   run CMD once in every slot (set-up steps)
set -uo pipefail
slots=${TOVANI_TEST_SLOTS:-}
if [ -z "$slots" ] || [ ! -d "$slots" ]; then
  exec "$@"
fi
use_slot() {   # use_slot N: take slot N's display and prefix
  # shellcheck disable=SC1090
  source "$slots/$1.env"
  export DISPLAY WINEPREFIX
}
if [ "${1:-}" = "--each" ]; then
  # Set-up steps (registry settings) go to every slot's prefix at once,
  # without waiting for a test running there: its wineserver serves both.
  shift
  rc=0
  for env in "$slots"/*.env; do
    ( use_slot "$(basename "$env" .env)"; "$@" ) || rc=$?
  done
  exit $rc
fi
while :; do
  for env in "$slots"/*.env; do
    n=$(basename "$env" .env)
    exec 8>"$slots/$n.lock"
    if flock -n 8; then
      use_slot "$n"
      "$@" 8>&-
      exit $?
    fi
    exec 8>&-
  done
  sleep 0.2
done
