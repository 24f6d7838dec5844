#!/usr/bin/env bash
# Builds the release package and checks what it holds: the gate and the check tool as built, the sample
# detail.ini with every key, and the deployer's README.txt, both with Windows line ends; that
# SHA256SUMS beside it checks; and, when no certificate was configured, that the build says
# once that the package is not signed.
# Usage: check_package.sh CMAKE BUILD_DIR PACKAGE_ZIP EXE SCRATCH_DIR CHECK_TOOL_EXE
set -euo pipefail
cmake=$1 build_dir=$2 zip=$3 exe=$4 scratch=$5 check_tool=$6

rm -f "$zip" "$(dirname "$zip")/SHA256SUMS"
log=$("$cmake" --build "$build_dir" --target package 2>&1) || { echo "$log"; echo "the package target failed"; exit 1; }
[ -f "$zip" ] || { echo "package: expected $zip, found nothing"; exit 1; }

status=0
fail() { echo "$1: expected $2, found ${3:-nothing}"; status=1; }

certificate=$(sed -n 's/^LAUNCHGATE_SIGNING_CERTIFICATE:FILEPATH=//p' "$build_dir/CMakeCache.txt")
if [ -z "$certificate" ]; then
  notices=$(grep -c "the package is not signed" <<<"$log" || true)
  [ "$notices" = 1 ] || fail "package build without a certificate" "one line saying it is not signed" "$notices"
fi
sums=$(cd "$(dirname "$zip")" && sha256sum -c SHA256SUMS 2>&1) ||
  fail "sha256sum -c SHA256SUMS" "success" "$sums"
[ "$sums" = "$(basename "$zip"): OK" ] || fail "SHA256SUMS" "one line for $(basename "$zip")" "$sums"

top=$(basename "$zip" .zip)
listing=$(cd "$(dirname "$zip")" && "$cmake" -E tar tf "$zip" | sed 's:/$::' | sort)
expected=$(printf '%s\n' "$top" "$top/LaunchGate.exe" "$top/LaunchGateCheck.exe" "$top/README.txt" \
           "$top/detail.ini" | sort)
# Directory entries are optional in a ZIP: compare files and the top folder if listed.
found=$(grep -vxF "$top" <<<"$listing" || true)
want=$(grep -vxF "$top" <<<"$expected")
[ "$found" = "$want" ] || fail "package contents" "$(echo $want)" "$(echo $found)"

rm -rf "$scratch" && mkdir -p "$scratch"
(cd "$scratch" && "$cmake" -E tar xf "$zip")
dir="$scratch/$top"
# A signed package holds the executables as built plus their signatures (checked by signing.*).
for built in "$exe" "$check_tool"; do
  packaged=$dir/$(basename "$built")
  if [ -n "$certificate" ] && [ -f "$packaged" ]; then
    osslsigncode remove-signature -in "$packaged" -out "$scratch/unsigned.exe" >/dev/null
    packaged=$scratch/unsigned.exe
  fi
  cmp -s "$built" "$packaged" || fail "packaged $(basename "$built")" "the same bytes as $built" "different bytes"
done

ini="$dir/detail.ini"
if [ -f "$ini" ]; then
  text=$(tr -d '\r' <"$ini")
  grep -qx '\[ZELCHECK\]' <<<"$text" || fail "detail.ini" "a [ZELCHECK] section" "none"
  for key in Class DriverDate Enumerator Devices Message StartAnyway LaunchApp Parameter; do
    grep -q "^$key=" <<<"$text" || fail "detail.ini" "a $key= line" "none"
    grep -q "^; $key - " <<<"$text" || fail "detail.ini" "a comment explaining $key" "none"
  done
  grep -qx 'Class=DISPLAY' <<<"$text" || fail "detail.ini" "Class=DISPLAY (the default)" "$(grep '^Class=' <<<"$text")"
  grep -qx 'DriverDate=9-27-2005' <<<"$text" ||
    fail "detail.ini" "DriverDate=9-27-2005 (the default)" "$(grep '^DriverDate=' <<<"$text")"
  # The keys that change the decision ship at their defaults: the sample decides as before.
  for line in 'Enumerator=' 'Devices=Last' 'StartAnyway=0'; do
    grep -qx "$line" <<<"$text" ||
      fail "detail.ini" "$line (the default)" "$(grep "^${line%%=*}=" <<<"$text")"
  done
fi
readme="$dir/README.txt"
if [ -f "$readme" ]; then
  text=$(tr -d '\r' <"$readme")
  for heading in "What it does" "How to configure it" "Exit status" "What it never does"; do
    grep -qx "$heading" <<<"$text" || fail "README.txt" "a section \"$heading\"" "none"
  done
  grep -q "LaunchGateCheck.exe" <<<"$text" || fail "README.txt" "a line on LaunchGateCheck.exe" "none"
fi
for f in "$ini" "$readme"; do
  [ -f "$f" ] || continue
  bare=$(awk '!/\r$/' "$f" | wc -l)
  [ "$bare" = 0 ] || fail "$(basename "$f") line ends" "CR LF on every line" "$bare lines without CR"
done

[ $status -ne 0 ] || { echo "$zip:"; echo "$listing"; rm -rf "$scratch"; }
exit $status
