#!/usr/bin/env bash
# Checks that the export table of a Windows DLL names exactly the operations
# listed in tests/support/exported_names.hpp: every one of them, and nothing
# else.
#
#   tests/windows/check_dll_exports.sh path/to/delaunay2d.dll [WORK_DIR]
#
# Environment: OBJDUMP (default x86_64-w64-mingw32-objdump), CC (native C
# compiler used to print the expected names, default cc).
set -euo pipefail

dll=${1:?usage: check_dll_exports.sh DLL [WORK_DIR]}
work=${2:-$(dirname "$dll")}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
cc=${CC:-cc}

mkdir -p "$work"
"$cc" -std=c11 -Wall -Wextra -I"$root/tests" "$root/tests/windows/print_exported_names.c" \
  -o "$work/print_exported_names"
"$work/print_exported_names" | LC_ALL=C sort > "$work/exports.expected"

# objdump -p prints the export table as
#   [Ordinal/Name Pointer] Table[ -- Ordinal Base N]
#   	[   0] +base[   1] 0000 name      (binutils >= 2.40)
#   	[   0] name                        (older binutils)
# up to the next blank line.
"$objdump" -p "$dll" > "$work/objdump.txt"
awk '
  /\[Ordinal\/Name Pointer\] Table/ { in_table = 1; found = 1; next }
  in_table && /^[[:space:]]*$/ { in_table = 0; next }
  in_table { print $NF }
  END { if (!found) exit 3 }
' "$work/objdump.txt" | LC_ALL=C sort > "$work/exports.actual" || {
  echo "FAILED: no export name table in $dll" >&2
  exit 1
}

expected_count=$(wc -l < "$work/exports.expected")
actual_count=$(wc -l < "$work/exports.actual")
if ! diff -u --label expected --label "$(basename "$dll")" "$work/exports.expected" "$work/exports.actual" >&2; then
  echo "FAILED: the export table of $dll differs from the list above (- missing, + unexpected)" >&2
  exit 1
fi
echo "export table: $actual_count names, exactly the $expected_count expected"
