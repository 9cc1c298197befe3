#!/usr/bin/env bash
# Fails if a Windows program imports a DLL that not every Windows has, such as the MinGW run-time
# libraries a program links dynamically by default. Usage: check-imports.sh PROGRAM.exe
set -euo pipefail

system_dlls='^(KERNEL32|USER32|GDI32|COMCTL32|ole32|OLEAUT32|ADVAPI32|SHELL32|msvcrt)\.dll$'
imports=$(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p')
[ -n "$imports" ] || { echo "no imports read from $1" >&2; exit 1; }
echo "$(basename "$1") imports:" $imports
foreign=$(grep -viE "$system_dlls" <<<"$imports" || true)
[ -z "$foreign" ] || { echo "imports beyond Windows itself: $foreign" >&2; exit 1; }
