#!/usr/bin/env bash
# Builds the reader's libFuzzer target with clang in build-fuzz/ and runs it
# for the given number of seconds (default 60), with the XCSP dictionary and
# a seed corpus taken from the test fixtures.  Crash inputs land in
# build-fuzz/artifacts/; keep them in fuzz/regressions/ once fixed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
out="$root/build-fuzz"
seconds="${1:-60}"
mkdir -p "$out/corpus" "$out/artifacts"

cxx="${CXX_FUZZ:-clang++}"
flags="-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"
incs="-I$root/src $(pkg-config --cflags libxml-2.0 2>/dev/null || echo -I/usr/include/libxml2)"
libs="$(pkg-config --libs libxml-2.0 2>/dev/null || echo -lxml2)"
srcs="$here/fuzz_reader.cpp $(ls "$root"/src/xcsp/*.cpp)"
bin="$out/fuzz_reader"
newer=0
for f in $srcs "$root"/src/xcsp/*.h; do
  [ "$f" -nt "$bin" ] && newer=1
done
if [ ! -x "$bin" ] || [ $newer = 1 ]; then
  echo "building $bin"
  # shellcheck disable=SC2086
  $cxx $flags $incs $srcs $libs -o "$bin"
fi

# Seeds: the small documents of the fixtures and the kept regressions.
seeds="$out/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
find "$root/tests/fixtures" "$here/regressions" -type f \( -name '*.xml' -o -name '*.xcsp' -o -name 'crash-*' -o -name 'timeout-*' -o -name 'oom-*' -o -name 'leak-*' \) -size -16k \
  -exec cp {} "$seeds/" \; 2>/dev/null || true

cd "$out"
exec "$bin" -max_total_time="$seconds" -dict="$here/xcsp.dict" -max_len=16384 -timeout=30 \
  -rss_limit_mb=2048 -artifact_prefix="$out/artifacts/" -print_final_stats=1 \
  "$out/corpus" "$seeds"
