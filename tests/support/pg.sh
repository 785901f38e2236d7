#!/usr/bin/env bash
# Starts or stops the private PostgreSQL server of a test run.
#   pg.sh start|stop|restart <folder> <port>   (restart: start again, keeping the data)
# The server listens on 127.0.0.1:<port> and on a socket in <folder>/sock, with
# trust authentication for the user "postgres".
set -euo pipefail
cmd=$1 base=$2 port=$3
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "PostgreSQL server binaries not found (run scripts/setup.sh)" >&2; exit 1; }

as_pg() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
owner() { if [ "$(id -u)" = 0 ]; then chown "$@"; fi; }

launch() {
  as_pg "$bin/pg_ctl" -D "$base/data" -l "$base/server.log" -w -t 30 \
    -o "-c listen_addresses=127.0.0.1 -p $port -k $base/sock -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" start >/dev/null \
    || { cat "$base/server.log" >&2; exit 1; }
  echo "PostgreSQL listening on 127.0.0.1:$port"
}

case $cmd in
start)
  if [ -f "$base/data/postmaster.pid" ]; then
    as_pg "$bin/pg_ctl" -D "$base/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$base"
  install -d -m 755 "$base" "$base/data" "$base/sock"
  chmod 700 "$base/data"
  owner postgres:postgres "$base/data" "$base/sock"
  touch "$base/server.log"; owner postgres:postgres "$base/server.log"
  as_pg "$bin/initdb" -D "$base/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 --no-sync >"$base/initdb.log" 2>&1 \
    || { cat "$base/initdb.log" >&2; exit 1; }
  launch
  ;;
restart)
  # The server of an earlier start again, with its data.
  launch
  ;;
stop)
  if [ -f "$base/data/postmaster.pid" ]; then
    as_pg "$bin/pg_ctl" -D "$base/data" -m fast -w stop >/dev/null
  fi
  ;;
*) echo "usage: pg.sh start|stop|restart <folder> <port>" >&2; exit 2 ;;
esac
