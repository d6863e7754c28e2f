#!/usr/bin/env bash
# The main job on embedded defaults: each facility shows itself through
# the command-line program. Steps are added as facilities arrive.
set -euo pipefail
build=$1
# Absolute: the steps work in folders of their own.
zelutil="$(realpath "$build")/tools/zelutil/zelutil"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$(dirname "$0")/.."

"$zelutil" version
"$zelutil" --help
for step in scripts/demo.d/*.sh; do
  [ -f "$step" ] || continue
  echo "== demo: $(basename "$step" .sh)"
  ZELUTIL="$zelutil" WORK="$work" bash "$step"
done
