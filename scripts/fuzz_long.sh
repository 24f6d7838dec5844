#!/usr/bin/env bash
# Runs each fuzz target longer than the test suite does (default 300 seconds each, or a number
# of executions each) on a copy of its seed corpus and reports, per target: executions,
# executions per second, libFuzzer's final coverage ("cov:" edges, "ft:" features), the corpus
# reached and the findings. Also reports the line coverage of the product's sources reached by
# the final corpora.
#   bash scripts/fuzz_long.sh [SECONDS_PER_TARGET]
#   bash scripts/fuzz_long.sh --runs EXECUTIONS_PER_TARGET
# Work, final corpora, logs and findings go to build/host-fuzz/long_run/<target>/. Exits non-zero
# when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: $0 [SECONDS_PER_TARGET | --runs EXECUTIONS_PER_TARGET]" >&2; exit 2; }
if [ "${1:-}" = --runs ]; then
  [ $# -eq 2 ] || usage
  amount="$2"; bound=(-runs="$2"); unit=executions
else
  [ $# -le 1 ] || usage
  amount="${1:-300}"; bound=(-max_total_time="$amount"); unit=seconds
fi
case "$amount" in
  '' | *[!0-9]*) usage ;;
esac
targets=(meets_minimum_fuzz driver_date_fuzz launch_gate_fuzz check_tool_parts_fuzz check_tool_fuzz)

cmake --preset host-fuzz >/dev/null
cmake --build --preset host-fuzz >/dev/null

out=build/host-fuzz/long_run
rm -rf "$out"
findings_total=0
report=()
for target in "${targets[@]}"; do
  work="$out/$target"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp tests/fuzz/corpus/"$target"/* "$work/corpus/"
  echo "== $target: $amount $unit" >&2
  status=0
  "build/host-fuzz/tests/fuzz/$target" "${bound[@]}" -timeout=5 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" \
    >"$work/log" 2>&1 || status=$?

  stat() { sed -n "s/^stat::$1: *//p" "$work/log" | tail -n 1; }
  last=$(grep -E '^#[0-9]+' "$work/log" | tail -n 1 || true)
  field() { sed -n "s/.* $1: *\([^ ]*\).*/\1/p" <<<"$last"; }
  findings=$(find "$work/artifacts" -type f | wc -l)
  findings_total=$((findings_total + findings))
  report+=("$(printf '%-20s %12s %8s %6s %7s %10s %5s %8s %s' "$target" "$(stat number_of_executed_units)" \
    "$(stat average_exec_per_sec)" "$(field cov)" "$(field ft)" "$(field corp)" \
    "$(find "$work/corpus" -type f | wc -l)" "$findings" "$status")")
  if [ "$findings" -gt 0 ]; then
    grep -m 1 -E 'fuzz check failed|ERROR: (AddressSanitizer|libFuzzer)|runtime error' "$work/log" >&2 || true
    find "$work/artifacts" -type f >&2
  fi
done

# Line coverage of the product's sources over the final corpora, from an instrumented build of
# the same targets.
coverage=build/host-fuzz-coverage
if command -v llvm-profdata-14 >/dev/null && command -v llvm-cov-14 >/dev/null; then
  flags="-fsanitize=fuzzer-no-link -fprofile-instr-generate -fcoverage-mapping"
  cmake -S . -B "$coverage" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DLAUNCH_GATE_FUZZ=ON >/dev/null
  cmake --build "$coverage" --target "${targets[@]}" >/dev/null
  rm -f "$coverage"/*.profraw
  objects=()
  for target in "${targets[@]}"; do
    LLVM_PROFILE_FILE="$coverage/$target.profraw" "$coverage/tests/fuzz/$target" -runs=0 \
      "$out/$target/corpus" >/dev/null 2>&1 || true
    objects+=(-object "$coverage/tests/fuzz/$target")
  done
  llvm-profdata-14 merge -sparse "$coverage"/*.profraw -o "$coverage/fuzz.profdata"
  echo
  echo "Line coverage of the product's sources by the final corpora:"
  # The targets' own entry points share a name and differ, which llvm-cov reports as
  # mismatched data; the product's functions are the same in all of them.
  llvm-cov-14 report "${objects[@]:1}" -instr-profile="$coverage/fuzz.profdata" \
    driver_check/ launch_gate/ check_tool/ 2> >(grep -v 'functions have mismatched data' >&2) | sed 's/^/  /'
fi

echo
printf '%-20s %12s %8s %6s %7s %10s %5s %8s %s\n' target executions exec/s cov ft corp/bytes files findings exit
printf '%s\n' "${report[@]}"
echo "$unit per target: $amount; findings under $out/<target>/artifacts/"
[ "$findings_total" -eq 0 ]
