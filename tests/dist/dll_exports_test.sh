#!/usr/bin/env bash
# zolt.dll must export exactly the four entry points under their plain names and import only
# system DLLs (the C and C++ runtimes are linked in); so must both builds of far3/zolt.dll, the
# plugin for the current host generation, with its six entry points and its machine type. The
# package (`make dist`, built by `make test` too) must hold zolt.dll without debug sections, and
# an INSTALL.txt a Windows user can follow: CR LF, the version, and the commands named as the
# menus name them.
set -euo pipefail
src="$2"
dll="$src/build/mingw/zolt.dll"
objdump=i686-w64-mingw32-objdump
objdump64=x86_64-w64-mingw32-objdump
missing() {
    echo "FAIL: missing $1"
    echo "  this check reads the 32-bit and 64-bit Windows builds; make them with:"
    echo "    cmake --preset mingw && cmake --build --preset mingw -j2    (make test and make dist do this too)"
    echo "    cmake --preset mingw64 && cmake --build --preset mingw64 -j2    (make test does this too)"
    echo "  (the MinGW-w64 cross tools come with scripts/ensure-deps.sh win)"
    exit 1
}
for tool in "$objdump" "$objdump64"; do
  command -v "$tool" >/dev/null ||
    { echo "FAIL: $tool not found: scripts/ensure-deps.sh win installs the MinGW-w64 tools"; exit 1; }
done

# One row: the objdump that reads it, the DLL, its file format, and the export names it must
# have, exactly.
check_dll() {
  local tool=$1 path=$2 format=$3 info exports imports dll_name
  shift 3
  [ -f "$path" ] || missing "$path"
  info=$("$tool" -p "$path")
  exports=$(printf '%s\n' "$info" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | grep -oE '\] [A-Za-z@0-9_]+$' | cut -c3- | sort)
  if [ "$exports" != "$(printf '%s\n' "$@" | sort)" ]; then
    echo "$path: exports differ:"; printf '%s\n' "$exports"; exit 1
  fi
  imports=$(printf '%s\n' "$info" | grep -oE 'DLL Name: .*' | cut -d' ' -f3 | tr 'a-z' 'A-Z' | sort)
  for dll_name in $imports; do
    case "$dll_name" in
      KERNEL32.DLL|USER32.DLL|ADVAPI32.DLL|MSVCRT.DLL) ;;
      *) echo "$path: unexpected import: $dll_name"; exit 1 ;;
    esac
  done
  "$tool" -f "$path" | grep -q "file format $format\$" || { echo "$path: not $format"; exit 1; }
  echo "$path: exports, imports and machine type as expected"
}

check_dll "$objdump" "$dll" pei-i386 Configure GetPluginInfo OpenPlugin SetStartupInfo
far3_exports="ConfigureW ExitFARW GetGlobalInfoW GetPluginInfoW OpenW SetStartupInfoW"
check_dll "$objdump" "$src/build/mingw/far3/zolt.dll" pei-i386 $far3_exports
check_dll "$objdump64" "$src/build/mingw64/far3/zolt.dll" pei-x86-64 $far3_exports

version=$(sed -n 's/^project(zolt VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
# Each package: the stripped DLL with its exports, the language and help files, and INSTALL.txt.
check_package() { # build dir, zip suffix, objdump, export names
  local dir=$1 suffix=$2 tool=$3
  shift 3
  local zip="$dir/zolt-$version-$suffix.zip" unstripped="$dir/zolt-$version-$suffix-unstripped.dll"
  [ -f "$zip" ] || missing "$zip (the package)"
  [ -f "$unstripped" ] || missing "$unstripped (the DLL as linked)"
  local pkg
  pkg=$(mktemp -d)
  (cd "$pkg" && cmake -E tar xf "$zip")
  for f in zolt.dll zoltEng.lng zoltRus.lng zoltEng.hlf zoltRus.hlf INSTALL.txt; do
    [ -f "$pkg/$f" ] || { echo "$zip lacks $f"; exit 1; }
  done
  "$tool" -h "$pkg/zolt.dll" | grep -q '\.debug_' && { echo "$zip: the DLL keeps debug sections"; exit 1; }
  "$tool" -h "$unstripped" | grep -q '\.debug_info' || { echo "$unstripped has no debug information"; exit 1; }
  local pattern
  pattern=$(echo "$@" | tr ' ' '|')
  [ "$("$tool" -p "$pkg/zolt.dll" | grep -c -E "\] ($pattern)\$")" = $# ] ||
    { echo "$zip: the packaged DLL lost its exports"; exit 1; }
  local install="$pkg/INSTALL.txt"
  [ "$(grep -c $'\r$' "$install")" = "$(wc -l <"$install")" ] || { echo "$zip: INSTALL.txt: not every line ends in CR LF"; exit 1; }
  grep -q "ZOLT $version " "$install" || { echo "$zip: INSTALL.txt: no version $version"; exit 1; }
  for heading in Install Uninstall; do
    grep -q "^$heading"$'\r$' "$install" || { echo "$zip: INSTALL.txt: no $heading steps"; exit 1; }
  done
  # The plugins-menu line, the four commands and the configuration line, hot-key marks removed.
  for n in 0 1 2 3 4 21; do
    text=$(grep '^"' "$src/dist/zoltEng.lng" | sed -n "$((n + 1))p" | tr -d '"&\r')
    grep -qF "\"$text\"" "$install" || { echo "$zip: INSTALL.txt: the menus' \"$text\" is not named"; exit 1; }
  done
  # Which zip is for which host, and every file ZOLT writes in the uninstall steps.
  for other in far1-x86 far3-x86 far3-x64; do
    grep -qF "zolt-$version-$other.zip" "$install" || { echo "$zip: INSTALL.txt: zolt-$version-$other.zip is not named"; exit 1; }
  done
  for written in 'zoltprj$.Far' 'zoltpru$.Far' 'zoltopt$.Far'; do
    sed -n '/^Uninstall/,$p' "$install" | tr -d '\r' | tr '\n' ' ' | grep -qF "$written" ||
      { echo "$zip: INSTALL.txt: the uninstall steps do not name $written"; exit 1; }
  done
  rm -rf "$pkg"
  echo "package: $(basename "$zip") with a stripped DLL, $(basename "$unstripped") beside it, INSTALL.txt as expected"
}
check_package "$src/build/mingw" far1-x86 "$objdump" Configure GetPluginInfo OpenPlugin SetStartupInfo
check_package "$src/build/mingw" far3-x86 "$objdump" $far3_exports
check_package "$src/build/mingw64" far3-x64 "$objdump64" $far3_exports
