#!/usr/bin/env bash
# check-consumer.sh PREFIX CONSUMER: builds a small outside project against
# an installed library (a cmake --install prefix, or packages unpacked
# into a scratch root), once through the CMake package and once through
# pkg-config, and compiles each public header on its own.
set -euo pipefail
prefix=$(cd "$1" && pwd)
consumer=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pcdir=$(dirname "$(find "$prefix" -name ZELUtilU.pc | head -n 1)")
libdir=$(dirname "$pcdir")

# Through the CMake package.
cmake -S "$consumer" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
LD_LIBRARY_PATH=$libdir "$work/cmake/consumer"

# Through pkg-config, each public header on its own. The consumer picks its
# language level (C++17 or later); the .pc file forces none.
export PKG_CONFIG_PATH=$pcdir
flags=$(pkg-config --cflags --libs ZELUtilU)
for h in "$prefix"/include/ZELUtilU/*.h; do
  name=$(basename "$h")
  printf '#include <%s>\nint main() { return 0; }\n' "$name" >"$work/one.cpp"
  g++ -std=c++17 -Wall -Wextra -Werror "$work/one.cpp" -o "$work/one" $flags
  clang++ -std=c++20 -Wall -Wextra -Werror "$work/one.cpp" -o "$work/one" $flags
done
g++ -std=c++17 -Wall -Wextra -Werror "$consumer/main.cpp" -o "$work/pc" $flags
LD_LIBRARY_PATH=$libdir "$work/pc"
echo "install check passed"
