#!/usr/bin/env bash
# Builds a libFuzzer target of the reader with clang in build-fuzz/ and runs
# it for the given number of seconds (default 60):
#   fuzz/run.sh [SECONDS] [fuzz_reader|fuzz_tags]
# fuzz_reader (default) reads whole documents through libxml2, with the XCSP
# dictionary and a seed corpus taken from the test fixtures; fuzz_tags feeds
# the tag machine raw text in pieces.  Crash inputs land in
# build-fuzz/artifacts/; keep them in fuzz/regressions/ once fixed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out="$root/build-fuzz"
seconds="${1:-60}"
target="${2:-fuzz_reader}"
mkdir -p "$out/corpus-$target" "$out/artifacts"

cxx="${CXX_FUZZ:-clang++}"
flags="-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"
incs="-I$root/src $(pkg-config --cflags libxml-2.0 2>/dev/null || echo -I/usr/include/libxml2)"
libs="$(pkg-config --libs libxml-2.0 2>/dev/null || echo -lxml2)"
srcs="$here/$target.cpp $(ls "$root"/src/xcsp/*.cpp)"
bin="$out/$target"
newer=0
for f in $srcs "$root"/src/xcsp/*.h; do
  [ "$f" -nt "$bin" ] && newer=1
done
if [ ! -x "$bin" ] || [ $newer = 1 ]; then
  echo "building $bin"
  # shellcheck disable=SC2086
  $cxx $flags $incs $srcs $libs -o "$bin"
fi

cd "$out"
common="-max_total_time=$seconds -timeout=30 -rss_limit_mb=2048 -artifact_prefix=$out/artifacts/ -print_final_stats=1"
if [ "$target" = fuzz_tags ]; then
  # shellcheck disable=SC2086
  exec "$bin" $common -max_len=4096 "$out/corpus-$target"
fi

# Seeds: the small documents of the fixtures and the kept regressions.
seeds="$out/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
find "$root/tests/fixtures" "$here/regressions" -type f ! -name README.md -size -16k \
  -exec cp {} "$seeds/" \; 2>/dev/null || true
# shellcheck disable=SC2086
exec "$bin" $common -dict="$here/xcsp.dict" -max_len=16384 "$out/corpus-$target" "$seeds"
