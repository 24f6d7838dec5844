#!/usr/bin/env bash
# Builds every configuration and runs every test: the host suite (plain and under ASan+UBSan),
# a short run of each fuzz target, and the checks on the Windows executables.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in host host-asan host-fuzz windows-i686 windows-x86_64; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
