#!/usr/bin/env bash
# Core extraction benchmark: "-muc" with each approach, alone and with the
# main aids (recursive and local-search model rotation, wcore+ with removal
# of inactive constraints), on a few unsatisfiable instances: processor
# time, oracle calls (those the approach counts, and every call of the
# complete solver), and the size of the core found.
#
#   bench/cores/run.sh BUILD_DIR
set -eu
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
exec python3 "$here/bench.py" "$build/vantor" "$here/instances" "$here/../../tests/fixtures/cores"
