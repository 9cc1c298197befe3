"""Fails where a Windows program could not be loaded on Windows 7 SP1 by its import table: where
it imports a DLL that not every Windows has (such as the MinGW run-time libraries a program links
dynamically by default), or a function of Windows newer than 7. Each function that it imports
from Windows, the delay-loaded ones too, is named in a C++ file compiled against the Windows 7
API (_WIN32_WINNT 0x0601), in which a newer function is not declared. msvcrt's functions are
left out: the C library of Windows 7 is the one that MinGW-w64 builds against. Each DLL named after
the compiler must be delay-loaded, not loaded with the program.
Usage: check-imports.py PROGRAM.exe CXX_COMPILER [DELAY_LOADED.dll...]"""

import os
import re
import struct
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "ole32.dll",
               "oleaut32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll"}
HEADERS = ["windows.h", "commctrl.h", "objbase.h", "oleacc.h", "shellapi.h"]


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        sections = struct.unpack_from("<H", data, pe + 6)[0]
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        optional = pe + 24
        self.wide = struct.unpack_from("<H", data, optional)[0] == 0x20B  # PE32+
        directories = optional + (112 if self.wide else 96)
        self.import_rva = struct.unpack_from("<I", data, directories + 8)[0]
        self.sections = []
        for index in range(sections):
            header = optional + optional_size + 40 * index
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, header + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def names(self, table_rva):
        """The names a thunk table imports by; "#N" for an import by ordinal N."""
        names, step = [], 8 if self.wide else 4
        position = self.offset(table_rva)
        while thunk := struct.unpack_from("<Q" if self.wide else "<I", self.data, position)[0]:
            by_ordinal = thunk >> (step * 8 - 1)
            names.append(f"#{thunk & 0xFFFF}" if by_ordinal else self.string(thunk + 2))
            position += step
        return names

    def imports(self):
        found, position = {}, self.offset(self.import_rva)
        while True:
            lookup, _, _, name, first = struct.unpack_from("<IIIII", self.data, position)
            if name == 0:
                return found
            found.setdefault(self.string(name).lower(), []).extend(self.names(lookup or first))
            position += 20

    def delay_imports(self):
        """GNU ld leaves the header's entry for delay-loaded imports at 0, so the descriptors are
        found by the one field that is sure: attributes 1 (RVAs), then the RVA of a DLL's name."""
        found = {}
        for match in re.finditer(rb"[A-Za-z0-9_]+\.dll\0", self.data, re.IGNORECASE):
            rva = next((start + match.start() - raw for start, size, raw in self.sections
                        if raw <= match.start() < raw + size), None)
            if rva is None:
                continue
            name = match.group()[:-1].decode("ascii").lower()
            for hit in re.finditer(re.escape(struct.pack("<II", 1, rva)), self.data):
                lookup = struct.unpack_from("<I", self.data, hit.start() + 16)[0]
                found.setdefault(name, []).extend(self.names(lookup))
        return found


def main():
    program, compiler, must_delay = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(program, "rb") as file:
        image = Image(file.read())
    imports, delayed = image.imports(), image.delay_imports()
    if not imports:
        sys.exit(f"no imports read from {program}")
    for kind, table in (("imports", imports), ("delay-loads", delayed)):
        for dll in sorted(table):
            print(f"{os.path.basename(program)} {kind} {dll}: {' '.join(sorted(table[dll]))}")
    foreign = sorted((set(imports) | set(delayed)) - SYSTEM_DLLS)
    if foreign:
        sys.exit(f"imports beyond Windows itself: {' '.join(foreign)}")
    for dll in must_delay:
        if dll.lower() in imports or dll.lower() not in delayed:
            sys.exit(f"{dll} is not delay-loaded but loaded with the program")
    functions = sorted({name for table in (imports, delayed) for dll, names in table.items()
                        if dll != "msvcrt.dll" for name in names})
    if any(name.startswith("#") for name in functions):
        sys.exit("imports by ordinal, which no header can check")
    source = "".join(f"#include <{header}>\n" for header in HEADERS)
    source += "void Imported() {\n" + "".join(f"  (void)&::{name};\n" for name in functions)
    source += "}\n"
    result = subprocess.run([compiler, "-fsyntax-only", "-D_WIN32_WINNT=0x0601", "-DWINVER=0x0601",
                             "-DUNICODE", "-D_UNICODE", "-x", "c++", "-"], input=source,
                            capture_output=True, text=True, env={**os.environ, "LC_ALL": "C"})
    if result.returncode != 0:
        missing = sorted(set(re.findall(r"'::(\w+)' has not been declared", result.stderr)))
        sys.exit(f"{program} imports what Windows 7 lacks: {' '.join(missing) or result.stderr}")
    print(f"{len(functions)} functions, all of Windows 7")


if __name__ == "__main__":
    main()
