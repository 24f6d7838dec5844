# Sourced by the checks. pe_imports OBJDUMP EXE prints every import of EXE, one a line, as
# DLL!function (the DLL name as the executable spells it, without ".dll"), or DLL!#ordinal for
# an import by number.
pe_imports() {
  "$1" -p "$2" | awk '
    /^[[:space:]]*DLL Name:/ { dll = $3; sub(/\.[dD][lL][lL]$/, "", dll); inlist = 0; next }
    dll != "" && /^[[:space:]]*vma:[[:space:]]+Hint/ { inlist = 1; next }
    inlist && NF == 0 { inlist = 0; dll = ""; next }
    inlist && NF >= 3 && $3 == "<none>" { print dll "!#" $2; next }
    inlist && NF >= 3 { print dll "!" $3; next }
    inlist && NF == 2 { print dll "!#" $2; next }'
}
