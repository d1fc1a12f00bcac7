#!/usr/bin/env bash
# zolt.dll must export exactly the four entry points under their plain names and import only
# system DLLs (the C and C++ runtimes are linked in).
set -euo pipefail
src="$2"
dll="$src/build/mingw/zolt.dll"
objdump=i686-w64-mingw32-objdump
[ -f "$dll" ] || { echo "missing $dll: make test builds it with the mingw preset"; exit 1; }
info=$("$objdump" -p "$dll")

exports=$(printf '%s\n' "$info" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | grep -oE '\] [A-Za-z@0-9_]+$' | cut -c3- | sort)
expected=$(printf '%s\n' Configure GetPluginInfo OpenPlugin SetStartupInfo)
if [ "$exports" != "$expected" ]; then
  echo "exports differ:"; printf '%s\n' "$exports"; exit 1
fi

imports=$(printf '%s\n' "$info" | grep -oE 'DLL Name: .*' | cut -d' ' -f3 | tr 'a-z' 'A-Z' | sort)
for dll_name in $imports; do
  case "$dll_name" in
    KERNEL32.DLL|USER32.DLL|ADVAPI32.DLL|MSVCRT.DLL) ;;
    *) echo "unexpected import: $dll_name"; exit 1 ;;
  esac
done
grep -q 'file format pei-i386' <<<"$info" || { echo "not a 32-bit DLL"; exit 1; }
echo "zolt.dll: exports and imports as expected"
