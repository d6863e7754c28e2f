#!/usr/bin/env bash
# Starts and stops the servers the tests need (none yet beyond the embedded
# engines; server-backed tests add theirs here).
set -euo pipefail
case "${1:-}" in
  start) ;;
  stop) ;;
  *) echo "usage: services.sh start|stop" >&2; exit 2 ;;
esac
