#!/usr/bin/env bash
# Fails when the executable imports a GUI library statically: a run that passes the check must
# not pay for loading them; only the warning box loads USER32, when it is shown.
# Usage: check_no_gui_imports.sh OBJDUMP EXE
set -euo pipefail
objdump=$1 exe=$2
. "$(dirname "$0")/pe_imports.sh"

imports=$(pe_imports "$objdump" "$exe")
[ -n "$imports" ] || { echo "no import read from $exe"; exit 1; }
gui=$(grep -iE '^(USER32|GDI32|SHLWAPI|SHELL32|COMCTL32|COMDLG32|UXTHEME)!' <<<"$imports" || true)
if [ -n "$gui" ]; then
  echo "expected no GUI library among the static imports, found:" $gui
  exit 1
fi
echo "static imports from:" $(cut -d! -f1 <<<"$imports" | sort -fu)
