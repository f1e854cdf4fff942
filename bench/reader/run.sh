#!/usr/bin/env bash
# Reader throughput: a ~50 MB extension instance (generated under /tmp, never
# kept) read by the reader alone (bench_reader: callbacks that do nothing)
# and by libxml2's own streaming pass (xmllint --stream --huge --noout).
# Prints the median of several runs of each and their ratio.
set -eu
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
runs="${RUNS:-5}"
bin="$build/bench/bench_reader"
[ -x "$bin" ] || bin=$(find "$build" -name bench_reader -type f -perm -u+x | head -1)
[ -x "$bin" ] || { echo "bench_reader not built in $build"; exit 1; }
command -v xmllint > /dev/null || { echo "xmllint missing (package libxml2-utils)"; exit 1; }

dir=$(mktemp -d /tmp/vantor-bench-reader.XXXXXX)
trap 'rm -rf "$dir"' EXIT
file="$dir/extension.xml"
python3 "$here/gen_extension.py" --tuples "${TUPLES:-4800000}" --arity 3 > "$file"
echo "instance: $(du -m "$file" | cut -f1) MB, $(grep -o 'nbTuples="[0-9]*"' "$file")"

python3 - "$runs" "$bin" "$file" <<'PY'
import statistics, subprocess, sys, time
runs, reader, path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
cmds = {"reader": [reader, path], "xmllint": ["xmllint", "--stream", "--huge", "--noout", path]}
times = {k: [] for k in cmds}
for _ in range(runs):
    for name, cmd in cmds.items():
        t = time.perf_counter()
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        times[name].append(time.perf_counter() - t)
med = {k: statistics.median(v) for k, v in times.items()}
print("%-8s %s  median %.3f s" % ("reader", " ".join("%.3f" % x for x in times["reader"]), med["reader"]))
print("%-8s %s  median %.3f s" % ("xmllint", " ".join("%.3f" % x for x in times["xmllint"]), med["xmllint"]))
print("ratio reader / xmllint: %.2f (target at most 1.50)" % (med["reader"] / med["xmllint"]))
PY
