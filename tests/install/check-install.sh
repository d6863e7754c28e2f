#!/usr/bin/env bash
set -euo pipefail
build=$1
consumer=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

# Through the CMake package.
cmake -S "$consumer" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
LD_LIBRARY_PATH=$prefix/lib "$work/cmake/consumer"

# Through pkg-config, each public header on its own.
libdir=$(ls -d "$prefix"/lib*/pkgconfig | head -n 1)
export PKG_CONFIG_PATH=$libdir
flags=$(pkg-config --cflags --libs ZELUtilU)
for h in "$prefix"/include/ZELUtilU/*.h; do
  name=$(basename "$h")
  printf '#include <%s>\nint main() { return 0; }\n' "$name" >"$work/one.cpp"
  g++ -Wall -Wextra -Werror "$work/one.cpp" -o "$work/one" $flags
  clang++ -Wall -Wextra -Werror "$work/one.cpp" -o "$work/one" $flags
done
g++ -Wall -Wextra -Werror "$consumer/main.cpp" -o "$work/pc" $flags
LD_LIBRARY_PATH=$(dirname "$libdir") "$work/pc"
echo "install check passed"
