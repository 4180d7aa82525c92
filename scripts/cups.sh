#!/usr/bin/env bash
# The print queue the tests print to: makes sure the machine's CUPS scheduler
# runs and has the PDF queue "TovaniPDF" (Debian's cups-pdf), whose pages land
# as PDF files in /var/spool/tovani-pdf. One scheduler serves the whole
# machine: a scheduler that already runs is used as it is, and several test
# runs starting at once take turns under a lock.
#   cups.sh          start the scheduler if needed and add the queue
#   cups.sh stop     stop the scheduler (only for a run that started it)
# Prints "started" when this call started the scheduler.
set -euo pipefail
# The scheduler's answers are read as text: in English, whatever the caller's locale.
export LC_ALL=C LANG=C
QUEUE=TovaniPDF
OUT=/var/spool/tovani-pdf
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

running() { lpstat -r 2>/dev/null | grep -q "is running"; }

if [ "${1:-}" = "stop" ]; then
  if [ -f /run/cups/cupsd.pid ]; then
    $SUDO kill "$(cat /run/cups/cupsd.pid)" 2>/dev/null || true
  fi
  exit 0
fi

exec 7>/tmp/tovani-cups.lock
flock 7
started=""
if ! running; then
  $SUDO mkdir -p /run/cups
  $SUDO /usr/sbin/cupsd
  for _ in $(seq 100); do running && break; sleep 0.1; done
  running || { echo "cups.sh: the CUPS scheduler did not start" >&2; exit 1; }
  started=1
fi
# cups-pdf reads the settings of a queue named by its device URI from
# cups-pdf-QUEUE.conf: every job of every user lands in one known folder,
# readable by all, named after the job's title.
CONF=/etc/cups/cups-pdf-$QUEUE.conf
WANT=$(printf '%s\n' "Out $OUT" "AnonDirName $OUT" "UserUMask 0000" "Grp lpadmin" "Cut -1")
if [ "$(cat "$CONF" 2>/dev/null)" != "$WANT" ]; then
  printf '%s\n' "$WANT" | $SUDO tee "$CONF" >/dev/null
fi
$SUDO mkdir -p "$OUT"
$SUDO chmod 1777 "$OUT"
if ! lpstat -p "$QUEUE" >/dev/null 2>&1; then
  # (lpadmin warns that PPD drivers are deprecated; cups-pdf ships only one.)
  $SUDO lpadmin -p "$QUEUE" -v "cups-pdf:/$QUEUE" -P "$PPD" -E 2>/dev/null
fi
# The machine's default printer, so that Wine makes it the default of the
# programs' prefixes.
if ! lpstat -d 2>/dev/null | grep -q ": $QUEUE\$"; then
  $SUDO lpadmin -d "$QUEUE"
fi
[ -n "$started" ] && echo started
exit 0
