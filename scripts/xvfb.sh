# Starts an Xvfb of our own on a free display and stops it (with the
# prefix's wineserver) when the calling script ends.
#
# The server is started with a resource database of one harmless entry:
# without any, libX11 looks for ~/.Xdefaults files again at every resource
# query (it caches only a database it found), and Wine's X11 driver asks at
# every font and device-context set-up, hundreds of times per grid page.
# -noreset keeps that database when the last client disconnects.
XVFB_PID=""
XVFB_PIDS=()
# new_xvfb: starts one server, lets it choose a free display (no race with
# other runs starting servers at the same time) and sets NEW_DISPLAY to ":N".
new_xvfb() {
  local fifo n
  fifo=$(mktemp -u /tmp/tovani-xvfb.XXXXXX)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PIDS+=($!)
  XVFB_PID=$!
  n=$(timeout 10 head -n 1 "$fifo" || true)
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  printf 'tovani.display: xvfb\n' | DISPLAY=":$n" xrdb -nocpp -load - || true
  NEW_DISPLAY=":$n"
}
start_xvfb() {
  new_xvfb || return 1
  export DISPLAY="$NEW_DISPLAY"
}
stop_all() {
  wineserver -k >/dev/null 2>&1 || true
  local p
  for p in "${XVFB_PIDS[@]}"; do kill "$p" >/dev/null 2>&1 || true; done
}
