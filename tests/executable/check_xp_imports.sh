#!/usr/bin/env bash
# Fails on any import of the executable that is not in the allowlist of calls Windows XP SP3
# has (xp_imports.txt): a call that appeared after XP would stop the program from loading there.
# Usage: check_xp_imports.sh OBJDUMP EXE ALLOWLIST
set -euo pipefail
objdump=$1 exe=$2 allowlist=$3
. "$(dirname "$0")/pe_imports.sh"

imports=$(pe_imports "$objdump" "$exe")
[ -n "$imports" ] || { echo "no import read from $exe"; exit 1; }
# DLL names match without regard to case, as Windows matches them; function names exactly.
allowed=$(sed -e 's/[[:space:]]*#.*$//' -e '/^$/d' "$allowlist" |
          awk -F'!' '{ print toupper($1) "!" $2 }')

status=0
while read -r imp; do
  key=$(awk -F'!' '{ print toupper($1) "!" $2 }' <<<"$imp")
  if ! grep -qxF "$key" <<<"$allowed"; then
    echo "import not in the list of calls Windows XP SP3 has ($allowlist): $imp"
    status=1
  fi
done <<<"$imports"
echo "$(wc -l <<<"$imports") imports:" $imports
exit $status
