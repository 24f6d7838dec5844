#!/usr/bin/env bash
# The gate's main job, for real: sets up what is missing, builds, and runs the gate under Wine in
# the sample program folder: the shipped 32-bit build by default, the 64-bit one with --x86_64.
# `--warning` shows the warning path and saves a screenshot of the box.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for preset in windows-i686 windows-x86_64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
exec python3 scripts/demo.py "$@"
