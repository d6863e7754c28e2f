#!/usr/bin/env bash
# A server database: a throw-away cluster (initdb in a temporary folder as
# the postgres user, a free loopback port, its socket in that folder), a
# parameter-bound insert, a procedure with an output parameter and a
# set-returning function. The cluster goes on every exit.
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "PostgreSQL is not installed here: the server database demo is left out"
  exit 0
fi
as_server() { if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
dir=$(mktemp -d /tmp/zeldemo-pg.XXXXXX)
cleanup() { as_server "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true; rm -rf "$dir"; }
trap cleanup EXIT
if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir"; fi
chmod 755 "$dir"
echo demo-secret >"$dir/pw"
chmod 644 "$dir/pw"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
as_server "$bin/initdb" -D "$dir/data" -U postgres -E UTF8 --no-locale --no-sync --auth-local=trust \
  --auth-host=scram-sha-256 --pwfile="$dir/pw" >/dev/null
as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/log" -w \
  -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null
echo "throw-away cluster on 127.0.0.1 (a free port)"

db="Provider=PostgreSQL;Data Source=127.0.0.1:$port;Initial Catalog=postgres;User ID=postgres;Password=demo-secret"
"$ZELUTIL" sql --connect "$db" "CREATE TABLE stock (id serial PRIMARY KEY, name text, price numeric(10,2), qty integer)"
"$ZELUTIL" sql --connect "$db" "INSERT INTO stock (name, price, qty) VALUES (?, ?, ?)" \
  --row "bolt M6,0.12,500" --row "nut M6,0.05,1200" --row "washer,0.02,3000"
"$ZELUTIL" sql --connect "$db" "CREATE PROCEDURE restock(item text, amount integer, OUT new_qty integer)
  LANGUAGE plpgsql AS \$\$ BEGIN
    UPDATE stock SET qty = qty + amount WHERE name = item RETURNING qty INTO new_qty;
  END \$\$"
"$ZELUTIL" sql --connect "$db" --proc restock --param washer --param 250 --param out:
"$ZELUTIL" sql --connect "$db" "CREATE FUNCTION cheaper_than(top numeric) RETURNS TABLE(name text, price numeric)
  LANGUAGE sql AS \$\$ SELECT name, price FROM stock WHERE price < top ORDER BY price \$\$"
"$ZELUTIL" sql --connect "$db" --proc cheaper_than --param 0.10
"$ZELUTIL" sql --connect "$db" "SELECT id, name, price, qty FROM stock ORDER BY id"
