#!/usr/bin/env python3
"""Checks pe_resources.py against objdump: both must see the same resource leaves (type, name,
language, size) in the executable.

    check_pe_resources.py PE_RESOURCES_PY OBJDUMP EXE
"""
import re
import subprocess
import sys


def from_objdump(objdump, exe):
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    leaves = []
    labels = []  # the entry labels on the way down: type, name, language
    for line in text.split("\n"):
        entry = re.match(r"^[0-9a-f]+(\s+)Entry: (?:name: \[[^\]]*\]: (\S+)|ID: 0x([0-9a-f]+)),",
                         line)
        if entry:
            level = (len(entry.group(1)) - 3) // 2  # 3, 5 and 7 spaces for the three levels
            label = entry.group(2) if entry.group(2) else str(int(entry.group(3), 16))
            labels = labels[:level] + [label]
            continue
        leaf = re.match(r"^[0-9a-f]+\s+Leaf: Addr: 0x[0-9a-f]+, Size: 0x([0-9a-f]+),", line)
        if leaf:
            leaves.append((labels[0], labels[1], labels[2], str(int(leaf.group(1), 16))))
    return leaves


def from_script(script, exe):
    text = subprocess.run([sys.executable, script, exe], check=True, capture_output=True,
                          text=True).stdout
    names = {"CURSOR": 1, "BITMAP": 2, "ICON": 3, "MENU": 4, "DIALOG": 5, "STRING": 6,
             "RCDATA": 10, "GROUP_CURSOR": 12, "GROUP_ICON": 14, "VERSION": 16, "MANIFEST": 24}
    leaves = []
    for line in text.splitlines():
        kind, name, language, size = line.split("\t")
        leaves.append((str(names.get(kind, kind)), name, language, size))
    return leaves


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    script, objdump, exe = argv[1:]
    expected = sorted(from_objdump(objdump, exe))
    found = sorted(from_script(script, exe))
    if not expected:
        print("objdump lists no resources in %s" % exe, file=sys.stderr)
        return 1
    if found != expected:
        print("pe_resources.py:\n  %s\nobjdump:\n  %s" % (found, expected), file=sys.stderr)
        return 1
    print("%d resources agree" % len(found))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
