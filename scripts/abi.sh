#!/usr/bin/env bash
# scripts/abi.sh check|baseline BUILD: compares the shared libraries of a
# release build with the committed ABI baseline in abi/, or renews it.
# Only what the installed headers declare counts. Added functions and
# classes pass (abidiff answers 0 for them with --no-added-syms); a removed
# function (bit 8 of its status) or a changed type that exported functions
# use (bit 4: a class grew, a member moved) fails the check.
set -euo pipefail
mode=$1 build=$2
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" --component dev >/dev/null
headers="$work/prefix/include/ZELUtilU"
status=0
for lib in ZELCommonU ZELFileU ZELUtilU; do
  so=$(find "$build" -maxdepth 1 -name "lib$lib.so.*.*.*" | head -n 1)
  baseline="$root/abi/$lib.abi"
  if [ "$mode" = baseline ]; then
    mkdir -p "$root/abi"
    abidw --headers-dir "$headers" --no-corpus-path --out-file "$baseline" "$so"
    # The build folder's path says nothing about the ABI.
    sed -i "s| comp-dir-path='[^']*'||" "$baseline"
    echo "abi: wrote $baseline"
    continue
  fi
  if [ ! -f "$baseline" ]; then echo "abi: no baseline for $lib (run ./zel abi-baseline)"; status=1; continue; fi
  rc=0
  abidiff --headers-dir2 "$headers" --no-added-syms "$baseline" "$so" >"$work/$lib.txt" || rc=$?
  if [ "$rc" -ne 0 ]; then
    cat "$work/$lib.txt"
    echo "abi: $lib breaks the baseline (renew it deliberately with ./zel abi-baseline)"
    status=1
  else
    echo "abi: $lib compatible with the baseline"
  fi
done
exit $status
