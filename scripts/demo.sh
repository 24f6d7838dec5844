#!/usr/bin/env bash
# The gate's main job, for real: sets up what is missing, builds, and runs the gate under Wine in
# the sample program folder. `--warning` shows the warning path and saves a screenshot of the box.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows-x86_64 >/dev/null
cmake --build --preset windows-x86_64 >/dev/null
exec python3 scripts/demo.py "$@"
