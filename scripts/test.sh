#!/usr/bin/env bash
# Builds every configuration and runs every test: the host suite (plain and under ASan+UBSan),
# a short run of each fuzz target, and the checks on the Windows executables with the Wine suite
# in each configuration. A skipped test has its reason printed after CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

print_skip_reasons() {
  local log="build/$1/Testing/Temporary/LastTest.log"
  [ -f "$log" ] || return 0
  awk '/^[0-9]+\/[0-9]+ Testing: / { test = $3 }
       /^SKIPPED: / { sub(/^SKIPPED: /, ""); print "Skipped " test ": " $0 }' "$log"
}

for preset in host host-asan host-fuzz windows-i686 windows-x86_64; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
  print_skip_reasons "$preset"
done
