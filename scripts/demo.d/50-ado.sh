#!/usr/bin/env bash
# Databases: a SQLite file filled by a parameter-bound command in one
# transaction, its rows read back through the typed readers, and a file
# stored in a blob and read back out.
set -euo pipefail
db="Provider=SQLite;Data Source=$WORK/shop.db"
"$ZELUTIL" sql --connect "$db" \
  "CREATE TABLE stock (id INTEGER PRIMARY KEY, name TEXT, price REAL, qty INTEGER, added DATE, photo BLOB)"
"$ZELUTIL" sql --connect "$db" "INSERT INTO stock (name, price, qty, added) VALUES (?, ?, ?, ?)" \
  --row "bolt M6,0.12,500,2024-03-01" --row "nut M6,0.05,1200,2024-03-02" --row "washer,0.02,3000,2024-03-05"
"$ZELUTIL" sql --connect "$db" tables
"$ZELUTIL" sql --connect "$db" "SELECT id, name, price, qty, added FROM stock WHERE qty > ?" --param 100
head -c 3000 /dev/urandom > "$WORK/photo.bin"
"$ZELUTIL" sql --connect "$db" "SELECT id, photo FROM stock WHERE id = 1" --blob-in "photo=$WORK/photo.bin"
"$ZELUTIL" sql --connect "$db" "SELECT id, photo FROM stock WHERE id = 1" --blob-out "photo=$WORK/photo.out"
cmp "$WORK/photo.bin" "$WORK/photo.out" && echo "blob read back: $(stat -c %s "$WORK/photo.out") bytes, identical"
"$ZELUTIL" sql --connect "$db" "SELECT id, name, length(photo) AS photo_bytes FROM stock" --csv
