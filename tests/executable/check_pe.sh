#!/usr/bin/env bash
# Checks the PE header of the executable: machine, GUI subsystem, OS and subsystem versions,
# file characteristics, ASLR/DEP flags with the relocations ASLR needs, no debug directory and
# no link time stamp.
# Usage: check_pe.sh OBJDUMP EXE ARCH [SUBSYSTEM] (ARCH: i686 or x86_64; SUBSYSTEM: 2, Windows
# GUI, the default, or 3, console)
set -euo pipefail
objdump=$1 exe=$2 arch=$3 want_subsystem=${4:-2}

headers=$("$objdump" -p "$exe")
sections=$("$objdump" -h "$exe")
status=0
fail() { echo "$1: expected $2, found ${3:-nothing}"; status=1; }
field() { awk -v f="$1" '$1 == f { print $2; exit }' <<<"$headers"; }
has_flags() { (( ($1 & $2) == $2 )); }

case $arch in
  i686)   format=pei-i386   magic=010b os_major=5 os_minor=1 ;;
  x86_64) format=pei-x86-64 magic=020b os_major=5 os_minor=2 ;;
  *) echo "unknown architecture $arch"; exit 2 ;;
esac

found=$(sed -n 's/.*file format //p' <<<"$headers" | head -n1)
[ "$found" = "$format" ] || fail "file format" "$format" "$found"
[ "$(field Magic)" = "$magic" ] || fail "optional header magic" "$magic" "$(field Magic)"

subsystem=$(field Subsystem)
[ "$subsystem" = 0000000$want_subsystem ] ||
  fail "subsystem" "0000000$want_subsystem (2 Windows GUI, 3 console)" "$subsystem"
for f in MajorOSystemVersion:$os_major MinorOSystemVersion:$os_minor \
         MajorSubsystemVersion:$os_major MinorSubsystemVersion:$os_minor; do
  name=${f%%:*} want=${f#*:}
  [ "$(field "$name")" = "$want" ] || fail "$name" "$want" "$(field "$name")"
done

# File characteristics: an executable image (0x0002), not a DLL (0x2000), relocations kept
# (0x0001 clear); 32-bit machine (0x0100) on i686, large address aware (0x0020) on x86_64.
chars=$((0x$(field Characteristics | sed 's/^0x//')))
has_flags $chars 0x0002 || fail "Characteristics EXECUTABLE_IMAGE 0x0002" "set" "$(printf 0x%04x $chars)"
(( (chars & 0x2000) == 0 )) || fail "Characteristics DLL 0x2000" "clear" "$(printf 0x%04x $chars)"
(( (chars & 0x0001) == 0 )) || fail "Characteristics RELOCS_STRIPPED 0x0001" "clear" "$(printf 0x%04x $chars)"
if [ "$arch" = i686 ]; then
  has_flags $chars 0x0100 || fail "Characteristics 32BIT_MACHINE 0x0100" "set" "$(printf 0x%04x $chars)"
else
  has_flags $chars 0x0020 || fail "Characteristics LARGE_ADDRESS_AWARE 0x0020" "set" "$(printf 0x%04x $chars)"
fi

# DLL characteristics: DYNAMIC_BASE 0x0040 and NX_COMPAT 0x0100; HIGH_ENTROPY_VA 0x0020 on x86_64.
dllchars=$((0x$(field DllCharacteristics)))
want=0x0140
[ "$arch" = x86_64 ] && want=0x0160
has_flags $dllchars $want || fail "DllCharacteristics" "all of $want" "$(printf 0x%04x $dllchars)"

# ASLR needs the base relocations: a .reloc section and a non-empty relocation directory.
grep -qE '^[[:space:]]*[0-9]+[[:space:]]+\.reloc[[:space:]]' <<<"$sections" ||
  fail ".reloc section" "present" "absent"
reloc_size=$(awk '$1 == "Entry" && $2 == "5" { print $4 }' <<<"$headers")
[ -n "$reloc_size" ] && (( 0x$reloc_size > 0 )) ||
  fail "base relocation directory size" "more than 0" "${reloc_size:-no entry}"
# No debug directory: it would carry a time stamp and build paths.
debug_size=$(awk '$1 == "Entry" && $2 == "6" { print $4 }' <<<"$headers")
[ "${debug_size:-0}" = 00000000 ] || [ -z "$debug_size" ] || fail "debug directory size" 00000000 "$debug_size"

# The COFF header's TimeDateStamp (4 bytes, 8 bytes after the "PE\0\0" signature) is 0.
pe_offset=$(od -An -tu4 -j 60 -N 4 "$exe" | tr -d ' ')
stamp=$(od -An -tu4 -j $((pe_offset + 8)) -N 4 "$exe" | tr -d ' ')
[ "$stamp" = 0 ] || fail "COFF TimeDateStamp" 0 "$stamp"

echo "$exe: $format, subsystem $subsystem, OS and subsystem version $os_major.$os_minor," \
     "Characteristics $(printf 0x%04x $chars), DllCharacteristics $(printf 0x%04x $dllchars)," \
     "time stamp $stamp, $(stat -c %s "$exe") bytes"
exit $status
