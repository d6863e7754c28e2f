#!/usr/bin/env bash
# Runs the benchmarks of a build: all of them, or those whose name is given.
# Each prints its closing lines "NAME: ours ..., peer ..., ratio R" and
# "NAME memory: ours A MB, peer B MB".
set -euo pipefail
build=$1; shift
names=("$@")
found=0
for b in $(find "$build/bench" -type f -name 'bench_*' -perm -u+x | sort); do
  [ -x "$b" ] || continue
  n=$(basename "$b"); n=${n#bench_}
  if [ ${#names[@]} -gt 0 ]; then
    keep=0
    for want in "${names[@]}"; do [ "$want" = "$n" ] && keep=1; done
    [ $keep -eq 1 ] || continue
  fi
  found=1
  echo "== bench $n"
  "$b"
done
[ $found -eq 1 ] || { echo "no benchmark matched: ${names[*]}" >&2; exit 1; }
