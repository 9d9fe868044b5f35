#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for tests, benchmarks and the demo.
#   pg-cluster.sh start   create and start a cluster in $PGCLUSTER_DIR on a free loopback port
#   pg-cluster.sh stop    stop it and remove everything start made
#   pg-cluster.sh url     print its libpq connection string
# The system's default cluster is never touched. PostgreSQL refuses to run as root, so when
# started as root the server runs as the postgres user.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
dir=${PGCLUSTER_DIR:-$here/build/pgcluster}
pgbin=${PGBIN:-/usr/lib/postgresql/15/bin}

run_as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    # runuser keeps our environment small and needs no password.
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

free_port() {
  local port
  for _ in $(seq 1 200); do
    port=$(( 20000 + RANDOM % 20000 ))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "$port"
      return 0
    fi
  done
  echo "pg-cluster: no free port found" >&2
  return 1
}

# The data folder normally lives in $dir; when the postgres user cannot reach $dir (a checkout
# under /root, say) it lives in a private folder under /tmp, named in $dir/datadir.
datadir() { if [ -f "$dir/datadir" ]; then cat "$dir/datadir"; else echo "$dir/data"; fi; }

cmd=${1:-}
case "$cmd" in
  start)
    if [ -f "$dir/port" ] && run_as_owner "$pgbin/pg_ctl" -D "$(datadir)" status >/dev/null 2>&1; then
      exit 0  # already running
    fi
    "$0" stop
    mkdir -p "$dir"
    if [ "$(id -u)" -eq 0 ]; then
      chown postgres:postgres "$dir"; chmod 700 "$dir"
      if ! runuser -u postgres -- test -w "$dir"; then
        mktemp -d /tmp/quilmo-pg.XXXXXX >"$dir/datadir"
        chown postgres:postgres "$(cat "$dir/datadir")"
        rmdir "$(cat "$dir/datadir")"
      fi
    fi
    data=$(datadir)
    run_as_owner "$pgbin/initdb" -D "$data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
      --no-instructions >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    port=$(free_port)
    sock=$(dirname "$data")
    cat >>"$data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$sock'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 200
shared_buffers = 256MB
CONF
    # Trust on loopback only: no other address is listened on or accepted.
    cat >"$data/pg_hba.conf" <<HBA
local all all trust
host  all all 127.0.0.1/32 trust
HBA
    echo "$port" >"$dir/port.tmp"
    run_as_owner "$pgbin/pg_ctl" -D "$data" -l "$data/server.log" -w -t 60 start >/dev/null \
      || { cat "$data/server.log" >&2; exit 1; }
    mv "$dir/port.tmp" "$dir/port"
    ;;
  stop)
    data=$(datadir)
    if [ -d "$data" ]; then
      run_as_owner "$pgbin/pg_ctl" -D "$data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    [ "$data" = "$dir/data" ] || rm -rf "$data"
    rm -rf "$dir"
    ;;
  url)
    [ -f "$dir/port" ] || { echo "pg-cluster: not running (no $dir/port)" >&2; exit 1; }
    echo "host=127.0.0.1 port=$(cat "$dir/port") user=postgres"
    ;;
  *)
    echo "usage: $0 start|stop|url" >&2
    exit 2
    ;;
esac
