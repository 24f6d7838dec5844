#!/usr/bin/env bash
# Measures what the gate costs before its application starts (under Wine; run by hand on a quiet
# machine, not part of the tests). Options go to bench/run_bench.py (--rounds N).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for preset in windows-i686 windows-x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
exec python3 bench/run_bench.py "$@"
