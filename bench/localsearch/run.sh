#!/usr/bin/env bash
# Local-search benchmark: "-localSearch" with each strategy on instances that
# are not solved within the limit (unsatisfiable or hard), stopped by SIGALRM
# after LIMIT processor-bounded seconds; reports flips, flips per second
# (from the program's own final report) and peak memory.  Then "-hybridSolver"
# with two strategies on the same files, run to its answer or the limit.
#
#   bench/localsearch/run.sh BUILD_DIR [INSTANCE_ROOT]
set -u
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=${2:-/work/shared/instances}
[ -d "$root" ] || root=$here/../../tests/fixtures/instances
vantor=$build/vantor
limit=${LIMIT:-3}

list=(
  # unsolved within the limit: unsatisfiable, hard, or hard for local search
  rb/rb-n40-p0.25-s1.xml
  coloring/col-DSJC125.1-k4-ext.xml
  coloring/col-DSJC125.1-k4-int.xml
  nary/nary-con-s4.xml
  globals/magic-4.xml
)
strategies=(-alea -gcsp -wcsp -best -novelty -rnovelty -wcspSatCont -noveltySatCont)

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

row() {  # mode strategy instance
  local f=$root/$3
  if [ ! -f "$f" ]; then
    printf "%-36s %-14s %-15s missing\n" "$3" "$2" "$1"
    return
  fi
  /usr/bin/time -f "%M" -o "$tmp/time" timeout -s ALRM "$limit" "$vantor" "$1" "$2" <"$f" >"$tmp/out" 2>"$tmp/err"
  local mem status flips fps secs
  mem=$(tail -1 "$tmp/time")
  status=$(awk '/^s /{print $2}' "$tmp/out")
  flips=$(sed -n 's/^c # nombre de switch effectué : //p' "$tmp/out" "$tmp/err" | head -1)
  fps=$(sed -n 's/^c # nombre de switch par seconde = \([^ ]*\) switch\/s/\1/p' "$tmp/err" | head -1)
  secs=$(sed -n 's/^c # temps = //p' "$tmp/err" | head -1)
  printf "%-36s %-14s %-15s %-8s %12s %8s %14s %8s\n" "$3" "$2" "$1" "${status:--}" "${flips:--}" \
    "${secs:--}" "$(awk -v x="${fps:-0}" 'BEGIN {printf "%.0f", x}')" "$(awk -v k="${mem:-0}" 'BEGIN {printf "%.1f", k / 1024}')"
}

printf "%-36s %-14s %-15s %-8s %12s %8s %14s %8s\n" instance strategy mode status flips "time(s)" "flips/s" "mem(MB)"
for rel in "${list[@]}"; do
  for m in "${strategies[@]}"; do row -localSearch "$m" "$rel"; done
  for m in -rnovelty -wcsp; do row -hybridSolver "$m" "$rel"; done
done
