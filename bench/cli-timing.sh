#!/bin/sh
# Times brimalox-cli as a whole: a sweep of about a million designs to CSV, and the start-up of one
# design next to a minimal C++ program that prints one line. Usage: bench/cli-timing.sh [BUILD_DIR]
# Uses hyperfine when installed (Debian: apt-get install hyperfine), else a plain shell loop.
set -eu
build=${1:-build}
cli="$build/cli/brimalox-cli"
hello="$build/bench/brimalox_bench_hello"
for f in "$cli" "$hello"; do
  [ -x "$f" ] || { echo "missing $f: build first (cmake --build --preset default)" >&2; exit 2; }
done

echo "== sweep: design --from 1 --to 100000 --step 0.1 --format csv > /dev/null"
if command -v hyperfine >/dev/null; then
  hyperfine --warmup 1 --runs 5 "$cli design --from 1 --to 100000 --step 0.1 --format csv"
else
  time "$cli" design --from 1 --to 100000 --step 0.1 --format csv >/dev/null
fi

echo "== start-up: one design against a program that prints one line"
if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 50 --runs 1000 "$hello" "$cli design 146"
else
  loop() { i=0; while [ $i -lt 1000 ]; do "$@" >/dev/null; i=$((i + 1)); done; }
  echo "1000 runs of the one-line program:"; time loop "$hello"
  echo "1000 runs of brimalox-cli design 146:"; time loop "$cli" design 146
fi
