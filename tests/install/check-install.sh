#!/usr/bin/env bash
# check-install.sh BUILD CONSUMER: installs a build into a scratch prefix
# and builds the outside consumer against it.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$1" --prefix "$work/prefix" >/dev/null
bash "$(dirname "$0")/check-consumer.sh" "$work/prefix" "$2"
