#!/usr/bin/env bash
# Counting benchmark: "-cn2mddg" (default options) on counting instances;
# for each, the model count, processor time, decision nodes, conjunction
# nodes, cache hits, peak memory; beside it the time Gecode takes to
# enumerate every solution of the same instance (translated to MiniZinc,
# flattened once, then fzn-gecode -a), when MiniZinc and Gecode are
# installed, and the ratio Gecode / ours.
#
#   bench/compilation/run.sh BUILD_DIR [INSTANCE_ROOT]
# LIMIT (seconds per run, default 60) bounds each run; a run past it shows
# as ">LIMIT".
set -u
build=$(cd "${1:-build}" && pwd)
root=${2:-/work/shared/instances}
here=$(cd "$(dirname "$0")" && pwd)
vantor=$build/vantor
limit=${LIMIT:-60}
conv=${XCSP2MZN:-/work/shared/oracle/xcsp2mzn.py}
gecode=$(command -v fzn-gecode || true)
mzn=$(command -v minizinc || true)

list=(
  queens/queens-8-int.xml queens/queens-10-int.xml queens/queens-11-int.xml
  queens/queens-12-int.xml queens/queens-10-alldiff.xml
  coloring/col-myciel3-k4-int.xml coloring/col-myciel3-k5-ext.xml
  coloring/col-queen5_5-k6-ext.xml
  nary/nary-mix-s1-planted.xml nary/nary-mix-s6.xml nary/nary-sup-s4.xml
  globals/element-v8-c8-s2.xml globals/wsum-v8-c12-s1.xml globals/wsum-v8-c12-s3.xml
  globals/wsum-v12-c18-s4.xml
  "$here/../../tests/fixtures/compilation/pairs30-ne.xml"
)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

stat() { awk -v k="$1" 'index($0, k) == 1 {print substr($0, length(k) + 1)}' "$tmp/err"; }

printf "%-34s %22s %8s %9s %7s %9s %8s | %9s %8s\n" instance count "time(s)" "OR" "AND" "pos hits" "mem(MB)" "gecode(s)" ratio
for rel in "${list[@]}"; do
  case $rel in /*) f=$rel ;; *) f=$root/$rel ;; esac
  name=$(basename "$rel" .xml)
  [ -f "$f" ] || { printf "%-34s missing\n" "$name"; continue; }
  /usr/bin/time -f "%U %S %M" -o "$tmp/time" timeout -s INT "$limit" "$vantor" -cn2mddg <"$f" >"$tmp/out" 2>"$tmp/err"
  read -r u sy mem <"$tmp/time"
  count=$(awk '/^s /{print $2}' "$tmp/out")
  t=$(awk -v u="$u" -v s="$sy" 'BEGIN {printf "%.2f", u + s}')
  [ -n "$count" ] || { count="-"; t=">$limit"; }
  orn=$(stat "c Number of OR nodes: ")
  andn=$(stat "c Number of decomposable AND nodes: ")
  hits=$(stat "c Number of positive hits: ")
  mb=$(awk -v k="$mem" 'BEGIN {printf "%.1f", k / 1024}')

  gt=-; ratio=-
  if [ -n "$gecode" ] && [ -n "$mzn" ] && [ -f "$conv" ] && python3 "$conv" "$f" >"$tmp/m.mzn" 2>/dev/null &&
     "$mzn" -c --solver gecode "$tmp/m.mzn" -o "$tmp/m.fzn" --ozn "$tmp/m.ozn" >/dev/null 2>&1; then
    # Every solution is printed (that is the enumeration); only the
    # statistics are kept.
    /usr/bin/time -f "%U %S" -o "$tmp/gtime" timeout -s KILL "$limit" "$gecode" -a -s "$tmp/m.fzn" 2>/dev/null |
      grep -a "solutions=" >"$tmp/gstat"
    if grep -q "solutions=" "$tmp/gstat" && [ -s "$tmp/gtime" ] && ! grep -q "signal" "$tmp/gtime"; then
      read -r gu gs <"$tmp/gtime"
      gt=$(awk -v u="$gu" -v s="$gs" 'BEGIN {printf "%.2f", u + s}')
      ratio=$(awk -v a="$t" -v b="$gt" 'BEGIN {if (a + 0 > 0) printf "%.1f", b / a; else print "-"}')
    else
      gt=">$limit"
    fi
  fi
  printf "%-34s %22s %8s %9s %7s %9s %8s | %9s %8s\n" "$name" "$count" "$t" "${orn:--}" "${andn:--}" "${hits:--}" "$mb" "$gt" "$ratio"
done
