#!/usr/bin/env bash
# Starts a private PostgreSQL on a free loopback port in a temporary data
# directory, creates the test database (with the datalength function that
# EqualBin's query needs), runs the given command with MIRTA_PG_CONNECTION
# naming it through psqlODBC, then stops the server and removes everything.
# Usage: run_with_postgres.sh <psqlODBC driver .so> <command> [args...]
set -euo pipefail
driver=$1
shift

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[[ -x $pgbin/postgres ]] || { echo "PostgreSQL server binaries not found" >&2; exit 1; }
# The server refuses to run as root; it runs as the postgres user.
id postgres >/dev/null 2>&1 || { echo "no postgres user" >&2; exit 1; }
as_pg() { runuser -u postgres -- "$@"; }

work=$(mktemp -d /tmp/hostutil_pg.XXXXXX)
chown postgres: "$work"
chmod 700 "$work"
client=
stop() {
  if [[ -n $client ]]; then
    kill "$client" 2>/dev/null || true
    rm -f "/tmp/psqlodbc_$(basename "$program")_$(id -un)$client.log"
  fi
  as_pg "$pgbin/pg_ctl" -D "$work/data" -m immediate -t 20 stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' TERM INT HUP

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
as_pg "$pgbin/initdb" -D "$work/data" -U postgres -A trust -E UTF8 --no-sync >"$work/initdb.log" 2>&1 ||
  { cat "$work/initdb.log" >&2; exit 1; }
as_pg "$pgbin/pg_ctl" -D "$work/data" -l "$work/server.log" -w -t 30 \
  -o "-p $port -k $work -c listen_addresses=127.0.0.1 -c fsync=off -c full_page_writes=off" start >/dev/null ||
  { cat "$work/server.log" >&2; exit 1; }

psql=("$pgbin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U postgres)
as_pg "${psql[@]}" -d postgres -c "CREATE DATABASE mirta"
as_pg "${psql[@]}" -d mirta -c \
  "CREATE FUNCTION datalength(bytea) RETURNS integer AS 'SELECT octet_length(\$1)' LANGUAGE sql IMMUTABLE"

export MIRTA_PG_CONNECTION="Driver=$driver;Server=127.0.0.1;Port=$port;Database=mirta;Uid=postgres;Pwd=;ByteaAsLongVarBinary=1;"
# psqlODBC leaves a log named after the program and its process id in /tmp
# whatever the settings; it is removed with the rest.
program=$1
"$@" &
client=$!
wait "$client"
