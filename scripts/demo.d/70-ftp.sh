# FTP: a local server on a loopback port, a file sent, listed and fetched
# back (the progress bar shows when standard error is a terminal).
set -euo pipefail
root="$WORK/ftproot"
mkdir -p "$root"
/usr/bin/python3 tests/support/ftp_server.py "$root" "$WORK/ftp.port" zel demo &
server=$!
trap 'kill $server 2>/dev/null || true; wait $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$WORK/ftp.port" ] && break; sleep 0.1; done
port=$(cat "$WORK/ftp.port")
url="ftp://127.0.0.1:$port"
export ZELFTP_PASSWORD=demo
head -c 3000000 /dev/urandom > "$WORK/sample.bin"
echo "sending a 3 MB file:"
"$ZELUTIL" ftp --user zel put "$WORK/sample.bin" "$url/"
"$ZELUTIL" ftp --user zel mkdir "$url/archive"
echo "the server's root:"
"$ZELUTIL" ftp --user zel ls "$url/"
echo "fetching it back:"
"$ZELUTIL" ftp --user zel get "$url/sample.bin" "$WORK/back.bin"
cmp "$WORK/sample.bin" "$WORK/back.bin" && echo "the copy is byte for byte the same"
