#!/usr/bin/env bash
# Encoding benchmark: "-toCNF" with every encoding on a generated random
# binary network (one shared conflicts relation), at two sizes that differ
# only by the number of constraints.  For each encoding: clauses, megabytes
# written, elapsed and processor seconds, clauses per second and MB per
# second (per processor second) on the large network, and the peak resident
# memory of the encoder beyond that of reading the network, at both sizes
# (the clauses stream to disk, so it must not grow with their number).
#
#   bench/encodings/run.sh BUILD_DIR
set -eu
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
exec python3 "$here/bench.py" "$build/vantor"
