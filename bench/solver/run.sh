#!/usr/bin/env bash
# Solver benchmark: "-complete" on a fixed list of instances; for each, the
# median over 3 runs of the processor time, the decisions ("d ASSIGNMENTS"),
# checks per second and peak memory; beside it toulbar2's median time on the
# same file (extension-only instances: toulbar2 reads no predicates or
# globals) and the ratio ours / toulbar2.
#
#   bench/solver/run.sh BUILD_DIR [INSTANCE_ROOT]
set -u
build=$(cd "${1:-build}" && pwd)
root=${2:-/work/shared/instances}
vantor=$build/vantor
limit=${LIMIT:-60}     # seconds per run
runs=${RUNS:-3}
tb=$(command -v toulbar2 || true)

list=(
  rb/rb-n20-p0.25-s1.xml rb/rb-n25-p0.25-s1.xml rb/rb-n30-p0.20-s1.xml
  rb/rb-n30-p0.23-s1.xml rb/rb-n30-p0.25-s1.xml rb/rb-n35-p0.23-s1.xml
  rb/rb-n35-p0.28-s1.xml rb/frb-n30-p0.25-s1.xml rb/rb-n40-p0.23-s1.xml
  real/18/20_8_200_11.xml real/18/20_8_200_22.xml real/18/20_8_200_33.xml
  real/18/20_8_200_44.xml
  real/v32_d8_p20/v32_d8_p20_t10/v32_d8_p20_t10_0.xcsp
  real/v32_d8_p20/v32_d8_p20_t30/v32_d8_p20_t30_0.xcsp
  real/v32_d8_p20/v32_d8_p20_t40/v32_d8_p20_t40_0.xcsp
  real/v32_d8_p20/v32_d8_p20_t50/v32_d8_p20_t50_0.xcsp
  real/v32_d8_p20/v32_d8_p20_t70/v32_d8_p20_t70_0.xcsp
  real/v32_d8_p20/v32_d8_p20_t90/v32_d8_p20_t90_0.xcsp
  queens/queens-10-int.xml queens/queens-12-int.xml queens/queens-10-alldiff.xml
  coloring/col-queen6_6-k7-ext.xml coloring/col-queen6_6-k7-int.xml
  coloring/col-myciel5-k6-ext.xml coloring/col-le450_5a-k5-ext.xml
)

median() { sort -g | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "-"}'; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

printf "%-52s %-8s %8s %10s %12s %8s | %8s %7s\n" instance status "time(s)" decisions "checks/s" "mem(MB)" "tb2(s)" ratio
for rel in "${list[@]}"; do
  f=$root/$rel
  [ -f "$f" ] || { printf "%-52s missing\n" "$rel"; continue; }
  : >"$tmp/t"; : >"$tmp/m"
  status=-; dec=-; chk=0
  for ((r = 0; r < runs; r++)); do
    /usr/bin/time -f "%U %S %M" -o "$tmp/time" timeout -s ALRM "$limit" "$vantor" -complete <"$f" >"$tmp/out" 2>/dev/null
    read -r u sy mem <"$tmp/time"
    awk -v u="$u" -v s="$sy" 'BEGIN {print u + s}' >>"$tmp/t"
    echo "$mem" >>"$tmp/m"
    status=$(awk '/^s /{print $2}' "$tmp/out")
    dec=$(awk '/^d ASSIGNMENTS /{print $3}' "$tmp/out")
    chk=$(awk '/^d CHECKS /{print $3}' "$tmp/out")
  done
  t=$(median <"$tmp/t")
  m=$(median <"$tmp/m")
  cps=$(awk -v c="${chk:-0}" -v t="$t" 'BEGIN {if (t > 0) printf "%.3g", c / t; else print "-"}')
  mb=$(awk -v k="$m" 'BEGIN {printf "%.1f", k / 1024}')

  tbt=-; ratio=-
  if [ -n "$tb" ] && ! grep -q -E "<predicates|reference=\"global:" "$f"; then
    # toulbar2 picks the format from the file extension.
    cp "$f" "$tmp/inst.xml"
    : >"$tmp/tb"
    for ((r = 0; r < runs; r++)); do
      /usr/bin/time -f "%U %S" -o "$tmp/time" "$tb" "$tmp/inst.xml" -timer="$limit" >/dev/null 2>&1
      read -r u sy <"$tmp/time"
      awk -v u="$u" -v s="$sy" 'BEGIN {print u + s}' >>"$tmp/tb"
    done
    tbt=$(median <"$tmp/tb")
    ratio=$(awk -v a="$t" -v b="$tbt" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}')
  fi
  printf "%-52s %-8s %8s %10s %12s %8s | %8s %7s\n" "$rel" "${status:--}" "$t" "${dec:--}" "$cps" "$mb" "$tbt" "$ratio"
done
