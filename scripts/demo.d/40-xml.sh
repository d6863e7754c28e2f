#!/usr/bin/env bash
# XML: a document built from a root and paths (missing elements are made
# level by level), read back by path and occurrence index, saved as it is.
set -euo pipefail
doc="$WORK/catalog.xml"
"$ZELUTIL" xml new "$doc" catalog
"$ZELUTIL" xml set "$doc" catalog/shop/name "Hardware & Tools"
for part in "bolt M6" "nut M6" "washer"; do
  "$ZELUTIL" xml set "$doc" catalog/shop/part "$part" -1   # -1 appends a new element
done
"$ZELUTIL" xml attr "$doc" catalog/shop/part qty 500 -i 1
echo "parts: $("$ZELUTIL" xml count "$doc" catalog/shop/part)"
echo "second part: $("$ZELUTIL" xml get "$doc" catalog/shop/part 1), qty $("$ZELUTIL" xml attr "$doc" catalog/shop/part qty -i 1)"
echo "the file as saved:"
cat "$doc"
