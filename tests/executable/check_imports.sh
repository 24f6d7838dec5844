#!/usr/bin/env bash
# Fails unless the executable imports only from the system's own DLLs: no C++ runtime, libgcc
# or winpthread DLL may be needed beside it.
set -euo pipefail
objdump=$1
exe=$2
allowed='^(KERNEL32|USER32|ADVAPI32|SETUPAPI|SHLWAPI|msvcrt)\.dll$'

dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ -n "$dlls" ] || { echo "no import table read from $exe"; exit 1; }
status=0
while read -r dll; do
  if ! grep -qiE "$allowed" <<<"$dll"; then
    echo "imports a DLL that is not the system's own: $dll"
    status=1
  fi
done <<<"$dlls"
echo "imports:" $dlls
exit $status
