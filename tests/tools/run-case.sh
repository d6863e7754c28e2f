#!/usr/bin/env bash
# run-case.sh BINDIR FIXTURES CASEDIR: runs one golden case and compares
# its standard output, standard error and exit status with the expected.
# With ZEL_GOLDEN_UPDATE=1 it writes what it got as the expected instead.
set -uo pipefail
bindir=$(cd "$1" && pwd) fixtures=$(cd "$2" && pwd) case=$(cd "$3" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
(cd "$work/run" && PATH="$bindir:$PATH" FIXTURES="$fixtures" LC_ALL=C.UTF-8 \
  bash "$case/cmd" >"$work/stdout" 2>"$work/stderr")
echo $? >"$work/status"
if [ "${ZEL_GOLDEN_UPDATE:-0}" = 1 ]; then
  cp "$work/stdout" "$work/stderr" "$work/status" "$case/"
  exit 0
fi
failed=0
for f in stdout stderr status; do
  if ! diff -u --label "expected $f" --label "actual $f" "$case/$f" "$work/$f"; then failed=1; fi
done
exit $failed
