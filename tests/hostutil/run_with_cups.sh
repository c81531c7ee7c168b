#!/usr/bin/env bash
# Starts a private CUPS scheduler (own configuration, spool and socket, no
# TCP port) with two raw queues whose device is a file, runs the given
# command with CUPS_SERVER pointing at it, then stops it and removes
# everything. The default queue "mirta_raw" writes to $MIRTA_PRINTED_FILE;
# "mirta_closed" rejects jobs.
# Usage: run_with_cups.sh <command> [args...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d /tmp/hostutil_cups.XXXXXX)
chmod 755 "$work"
cupsd_pid=
client=
stop() {
  [[ -n $client ]] && kill "$client" 2>/dev/null || true
  [[ -n $cupsd_pid ]] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' TERM INT HUP

# The scheduler runs its helpers from ServerBin: the system's filters, and
# a backend folder holding only the capture backend (root-owned, 0700, so
# it runs as root and may write anywhere in $work).
mkdir -p "$work"/{conf,spool,cache,state,log,bin/backend}
for d in filter daemon cgi-bin notifier monitor driver; do ln -s "/usr/lib/cups/$d" "$work/bin/$d"; done
install -m 0700 "$here/captureBackend.sh" "$work/bin/backend/capture"
chown root:lp "$work"/{spool,cache,state}
chmod 0770 "$work"/{spool,cache,state}

cat >"$work/conf/cupsd.conf" <<CONF
Listen $work/cups.sock
LogLevel warn
WebInterface No
Browsing Off
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$work/conf/cups-files.conf" <<CONF
FileDevice Yes
ServerRoot $work/conf
ServerBin $work/bin
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
TempDir $work/spool
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
User lp
Group lp
SystemGroup root
CONF

cupsd -f -c "$work/conf/cupsd.conf" -s "$work/conf/cups-files.conf" &
cupsd_pid=$!
export CUPS_SERVER=$work/cups.sock
# lpstat -r exits 0 either way; only its words tell.
running() { [[ $(lpstat -r 2>/dev/null) == "scheduler is running" ]]; }
for _ in $(seq 100); do
  running && break
  sleep 0.1
done
running || { cat "$work/log/error_log" >&2; echo "cupsd did not start" >&2; exit 1; }

# A long file name makes the device URI longer than the 128 bytes a host gets.
export MIRTA_PRINTED_FILE=$work/printed_$(printf 'x%.0s' $(seq 150)).out
lpadmin -p mirta_raw -E -v "capture:$MIRTA_PRINTED_FILE" -m raw 2>/dev/null
lpadmin -p mirta_closed -E -v "capture:$work/closed.out" -m raw 2>/dev/null
cupsreject mirta_closed
lpadmin -d mirta_raw

# The tests see only this scheduler and its default, not the caller's settings.
export HOME=$work
mkdir -m 0700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
unset LPDEST PRINTER
"$@" &
client=$!
wait "$client"
