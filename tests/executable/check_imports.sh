#!/usr/bin/env bash
# Fails unless the executable imports from exactly KERNEL32 and ADVAPI32: no C runtime, and no
# library that Windows would look for in the program's folder first (SETUPAPI, USER32 and
# msvcrt are not KnownDLLs on older Windows). Every other library is loaded by full path.
set -euo pipefail
objdump=$1
exe=$2

dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$dlls" ] || { echo "no import table read from $exe"; exit 1; }
found=$(tr '[:lower:]' '[:upper:]' <<<"$dlls" | sort -u | paste -sd' ')
echo "imports from:" $dlls
if [ "$found" != "ADVAPI32.DLL KERNEL32.DLL" ]; then
  echo "expected imports from exactly KERNEL32 and ADVAPI32"
  exit 1
fi
