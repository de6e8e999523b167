#!/usr/bin/env bash
# Installs, builds and runs the whole test suite. A private PostgreSQL cluster is
# started on a free loopback port for the tests that need a server, and removed after.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VORN_BUILD_DIR:-$top/build}
"$top/scripts/deps.sh"
"$top/scripts/build.sh"

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
pgdir=$(mktemp -d /tmp/vorn-pg.XXXXXX)
stop_pg() {
  if [ -f "$pgdir/data/postmaster.pid" ]; then
    runuser -u postgres -- "$pgbin/pg_ctl" -D "$pgdir/data" -m fast stop >/dev/null 2>&1 || true
  fi
  rm -rf "$pgdir"
}
trap stop_pg EXIT
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
chown postgres "$pgdir"
# Password authentication over TCP, so that login tests meet real password checks.
pgpass=vorn_su_pw
echo "$pgpass" >"$pgdir/pw"; chown postgres "$pgdir/pw"
runuser -u postgres -- "$pgbin/initdb" -D "$pgdir/data" -U vorn_su --pwfile="$pgdir/pw" \
  --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$pgdir/initdb.log"
runuser -u postgres -- "$pgbin/pg_ctl" -D "$pgdir/data" -o "-p $port -k $pgdir -c listen_addresses=127.0.0.1" \
  -l "$pgdir/log" -w start >/dev/null
export VORN_PG_HOST=127.0.0.1 VORN_PG_PORT=$port VORN_PG_USER=vorn_su VORN_PG_PASSWORD=$pgpass

cd "$build"
ctest --output-on-failure -j2 "$@"
