#!/usr/bin/env bash
# Runs every benchmark: each bench/<name>/run.sh, given the build folder.
set -eu
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/{print $2}') GiB"
for s in "$here"/*/run.sh; do
  [ -x "$s" ] || continue
  echo "== $(basename "$(dirname "$s")")"
  "$s" "$build"
done
