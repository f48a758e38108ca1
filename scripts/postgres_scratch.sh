#!/usr/bin/env bash
# A throwaway PostgreSQL server for the ledger's tests and benchmark.
#   postgres_scratch.sh start DIR   makes a cluster in DIR (user rilo, no password), starts
#                                   it on a Unix socket in DIR only and prints its admin URL
#   postgres_scratch.sh stop DIR    stops it and removes DIR
# The server never runs as root: root runs it as the package's `postgres` account.
set -euo pipefail
port=55432
marker=.rilo-postgres-scratch  # DIR is removed only when it holds this

usage() {
  echo "usage: $0 start|stop DIR" >&2
  exit 2
}
(($# == 2)) || usage
action=$1
dir=$(realpath -m -- "$2")

# initdb, pg_ctl and postgres: where pg_config says, else the newest installed server.
bindir=$(pg_config --bindir 2>/dev/null || true)
if [ ! -x "$bindir/pg_ctl" ]; then
  bindir=$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
fi
[ -x "$bindir/pg_ctl" ] || {
  echo "$0: no PostgreSQL server programs (install the postgresql package)" >&2
  exit 1
}

# Runs a server program as the account that owns the cluster.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    # From DIR: the caller's folder may be closed to that account.
    (cd "$dir" && runuser -u postgres -- "$@")
  else
    "$@"
  fi
}

case $action in
  start)
    if [ -e "$dir" ]; then
      echo "$0: $dir already exists; stop it first" >&2
      exit 1
    fi
    # The socket's path must fit a sockaddr_un (107 bytes).
    if ((${#dir} + ${#port} + 10 > 107)); then
      echo "$0: $dir is too long a path for the server's socket" >&2
      exit 1
    fi
    mkdir -p "$dir"
    touch "$dir/$marker"
    [ "$(id -u)" -ne 0 ] || chown postgres: "$dir"
    if ! as_owner test -w "$dir"; then
      echo "$0: the postgres account cannot reach $dir (a parent folder is closed to it, as /root is)" >&2
      exit 1
    fi
    # No fsync while making it: the cluster is thrown away with DIR.
    as_owner "$bindir/initdb" -D "$dir/data" -U rilo -A trust -E UTF8 --no-locale --no-sync >"$dir/initdb.log" ||
      {
        cat "$dir/initdb.log" >&2
        exit 1
      }
    cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$dir'
port = $port
EOF
    if ! as_owner "$bindir/pg_ctl" start -D "$dir/data" -l "$dir/server.log" -w -t 30 >/dev/null; then
      cat "$dir/server.log" >&2
      exit 1
    fi
    echo "postgresql://rilo@/postgres?host=$dir&port=$port"
    ;;
  stop)
    [ -e "$dir" ] || exit 0
    if [ ! -e "$dir/$marker" ]; then
      echo "$0: $dir is not a scratch server's folder; left as it is" >&2
      exit 1
    fi
    # A server that died with its run leaves only its pid file: nothing to stop.
    if [ -e "$dir/data/postmaster.pid" ] &&
      ! as_owner "$bindir/pg_ctl" stop -D "$dir/data" -m fast -w -t 30 >/dev/null 2>&1 &&
      as_owner "$bindir/pg_ctl" status -D "$dir/data" >/dev/null; then
      echo "$0: the server in $dir did not stop" >&2
      exit 1
    fi
    rm -rf -- "$dir"
    ;;
  *) usage ;;
esac
