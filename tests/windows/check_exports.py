#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Checks the export tables of a Windows build with objdump -p: quarv32.dll exports the four
script calls at ordinals 1 to 4 and the extensions after them, no other Quarv_ name; varnix32.dll exports
every function of varnix32.h by name and varnix_disablelog at ordinal 97; neither imports a
DLL that a bare Windows lacks (the MinGW runtime is linked in).
Usage: check_exports.py OBJDUMP BIN_DIR HEADER"""
import re
import subprocess
import sys

SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "ws2_32.dll", "user32.dll", "advapi32.dll",
               "secur32.dll", "crypt32.dll", "shell32.dll", "varnix32.dll"}


def exports(objdump, dll):
    """{name: ordinal} and the imported DLL names, from objdump -p."""
    text = subprocess.run([objdump, "-p", dll], check=True, capture_output=True,
                          text=True).stdout
    base = int(re.search(r"Ordinal Base\s+(\d+)", text).group(1))
    table = text.split("[Ordinal/Name Pointer] Table", 1)[1].split("\n\n", 1)[0]
    names = {m.group(2): int(m.group(1)) + base
             for m in re.finditer(r"\[\s*(\d+)\]\s+(\S+)", table)}
    imports = {m.group(1).lower() for m in re.finditer(r"DLL Name: (\S+)", text)}
    return names, imports


def main():
    objdump, bin_dir, header = sys.argv[1:4]
    failures = []

    def check(ok, what):
        print(("ok      " if ok else "FAILED  ") + what)
        if not ok:
            failures.append(what)

    quarv, quarv_imports = exports(objdump, bin_dir + "/quarv32.dll")
    expected = {"Quarv_Execute": 1, "Quarv_Execute2": 2, "Quarv_ExecLine": 3,
                "Quarv_ExecLine2": 4}
    for name, ordinal in expected.items():
        check(quarv.get(name) == ordinal, f"quarv32.dll {name} at ordinal {ordinal}")
    # The extensions of the four calls come after them, in the order the header adds them.
    extensions = ["Quarv_Stop", "Quarv_LastFailure", "Quarv_Execute3"]
    for ordinal, name in enumerate(extensions, start=5):
        check(quarv.get(name) == ordinal, f"quarv32.dll {name} at ordinal {ordinal}")
    others = sorted(n for n in quarv if n.startswith("Quarv_") and n not in expected
                    and n not in extensions)
    check(not others, f"quarv32.dll no other Quarv_ export {others}")

    varnix, varnix_imports = exports(objdump, bin_dir + "/varnix32.dll")
    declared = re.findall(r"^VARNIX_API [^;()]*?(\w+)\(", open(header).read(), re.MULTILINE)
    missing = sorted(set(declared) - set(varnix))
    check(len(declared) > 60 and not missing,
          f"varnix32.dll exports all {len(declared)} functions of varnix32.h (missing {missing})")
    check(varnix.get("varnix_disablelog") == 97, "varnix32.dll varnix_disablelog at ordinal 97")
    decorated = sorted(n for n in list(quarv) + list(varnix) if "@" in n or n.startswith("_"))
    check(not decorated, f"names undecorated {decorated}")

    for dll, imports in (("quarv32.dll", quarv_imports), ("varnix32.dll", varnix_imports)):
        foreign = sorted(imports - SYSTEM_DLLS)
        check(not foreign, f"{dll} imports only system DLLs and varnix32.dll {foreign}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
