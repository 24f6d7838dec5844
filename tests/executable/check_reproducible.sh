#!/usr/bin/env bash
# Builds the executable a second time from the same source, in a fresh build folder with a
# different path, and fails unless the two files are byte for byte the same.
# Usage: check_reproducible.sh CMAKE GENERATOR SOURCE_DIR SCRATCH_DIR EXE [-DVAR=VALUE...]
set -euo pipefail
cmake=$1 generator=$2 source_dir=$3 scratch=$4 exe=$5
shift 5

rm -rf "$scratch"
"$cmake" -S "$source_dir" -B "$scratch" -G "$generator" "$@" >"$scratch.log" 2>&1 ||
  { cat "$scratch.log"; echo "second configure failed"; exit 1; }
"$cmake" --build "$scratch" --target "$(basename "$exe" .exe)" >>"$scratch.log" 2>&1 ||
  { cat "$scratch.log"; echo "second build failed"; exit 1; }
second="$scratch/$(basename "$exe")"
if ! cmp "$exe" "$second"; then
  echo "expected the same bytes from two builds of one source, found differences:"
  cmp -l "$exe" "$second" | head -n 20
  exit 1
fi
echo "two builds give the same $(stat -c %s "$exe") bytes: $exe and $second"
rm -rf "$scratch" "$scratch.log"
