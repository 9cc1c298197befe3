#!/usr/bin/env bash
# Fails, saying why, where this machine's kernel cannot run 32-bit x86 programs (no IA-32
# emulation, as under some hypervisors): 32-bit Wine cannot work there, and installing it would
# also stop 64-bit Wine, whose `wine` then starts the 32-bit loader first. Runs a 32-bit Linux
# program of 93 bytes that only ends with status 0.
set -euo pipefail

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# ELF header, one loadable segment of the whole file at 0x08048000, then the code at its end:
# xor ebx, ebx; mov eax, 1 (exit); int 0x80.
printf '%b' '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
  '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00' \
  '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' \
  '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
  '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
  '\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80' >"$work/exit0"
chmod +x "$work/exit0"
if ! "$work/exit0" 2>"$work/error"; then
  error=$(cat "$work/error")
  echo "This machine's kernel ($(uname -r)) cannot run 32-bit x86 programs (${error##*:})," \
    "so 32-bit Wine cannot run the 32-bit Windows programs here." >&2
  exit 1
fi
