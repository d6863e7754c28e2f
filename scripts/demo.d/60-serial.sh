#!/usr/bin/env bash
# Serial: two pseudo-terminals joined by socat, named COM7 and COM8 for
# each run of zelutil. COM8 sends a line byte by byte; COM7 receives it
# through its watch thread and shows each notification message, then
# answers; COM8 shows the answer.
set -euo pipefail
cd "$WORK"
socat pty,raw,echo=0,link=com7 pty,raw,echo=0,link=com8 &
pair=$!
trap 'kill $pair 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e com7 ] && [ -e com8 ] && break; sleep 0.05; done
echo "COM7 is $(readlink com7), COM8 is $(readlink com8)"
# COM7 listens for two seconds, then answers and waits for quiet.
{ sleep 2; printf 'ACK from COM7\n'; } | "$ZELUTIL" serial COM7="$WORK/com7" --messages --wait 500 > com7.out 2> com7.msgs &
listener=$!
sleep 0.5
{ printf 'hello from COM8\n'; sleep 2; } | "$ZELUTIL" serial COM8="$WORK/com8" --baud 57600 --delay 3 --wait 1000 > com8.out
wait $listener
echo "COM7 received: $(cat com7.out)"
echo "COM7 notification messages: $(wc -l < com7.msgs) (one per block queued), the first ones:"
head -n 3 com7.msgs
echo "COM8 received: $(cat com8.out)"
