#!/usr/bin/python3
"""Checks the built PagixSetup.exe as a file: PE32 for i386 (or PE32+ for amd64, the 64-bit
build), a Windows GUI program with ASLR and DEP, importing only the allowed system DLLs, with no
zero-filled buffer stored in its .data section, with its manifest, version information and icon.

usage: check_exe.py EXE --machine i386|amd64 --allowed-imports DLL...
                        [--binary-only [--manifest-level LEVEL]]
"""
import argparse
import os
import re
import struct
import sys
import xml.dom.minidom

import pefile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../../scripts"))
from pe_resources import resources  # noqa: E402  (the project's one PE resource reader)

# Per build: the machine type and the optional header's magic (PE32, or PE32+ for 64 bits), and
# the architecture the manifest names.
MACHINES = {
    "i386": (0x14C, 0x10B, "x86"),
    "amd64": (0x8664, 0x20B, "amd64"),
}
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
SUBSYSTEM_WINDOWS_GUI = 2
LONGEST_ZERO_RUN_IN_DATA = 64
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100

SUPPORTED_OS = {
    "e2011457-1546-43c5-a5fe-008deee3d3f0": "Windows Vista",
    "35138b9a-5d96-4fbd-8e2d-a2440225f93a": "Windows 7",
    "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38": "Windows 8",
    "1f676c76-80e1-4239-95bb-83d0f6d0da78": "Windows 8.1",
    "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a": "Windows 10 and 11",
}

ASM_V3_NAMESPACE = "urn:schemas-microsoft-com:asm.v3"
DPI_AWARE_NAMESPACE = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"

EXPECTED_VERSION_STRINGS = {
    "ProductName": "Pagix",
    "ProductVersion": "0.9d",
    "CompanyName": "Marrowby",
    "FileDescription": "Pagix 0.9d Install",
}


def check_manifest(found, level, architecture, check):
    """One well-formed manifest, id 1, for the build's architecture, asking for the execution
    level, declining UI access, declaring the program DPI-aware and every supported Windows
    version. Returns its text."""
    manifests = [data for kind, name, _, data in found if kind == "MANIFEST"]
    check(len(manifests) == 1 and [name for kind, name, _, _ in found
                                   if kind == "MANIFEST"] == [1], "one manifest, id 1")
    manifest = manifests[0].decode("utf-8", "replace") if manifests else ""
    # Windows refuses to start a program whose manifest is not well-formed XML.
    try:
        document = xml.dom.minidom.parseString(manifests[0] if manifests else b"")
    except Exception:  # the parser raises several kinds of error
        document = None
    check(document is not None, "manifest is well-formed XML")
    # Windows reads the setting only in its own namespace, inside application/windowsSettings
    # of the v3 assembly namespace, and ignores it silently anywhere else.
    aware = [element for element in (document.getElementsByTagNameNS(DPI_AWARE_NAMESPACE,
                                                                     "dpiAware")
                                     if document else [])
             if element.parentNode.namespaceURI == ASM_V3_NAMESPACE
             and element.parentNode.localName == "windowsSettings"
             and element.parentNode.parentNode.namespaceURI == ASM_V3_NAMESPACE
             and element.parentNode.parentNode.localName == "application"]
    text = "".join(node.data for element in aware for node in element.childNodes
                   if node.nodeType == node.TEXT_NODE).strip().lower()
    check(len(aware) == 1 and text == "true", "manifest declares the program DPI-aware (%r)" % text)
    check('processorArchitecture="%s"' % architecture in manifest,
          "manifest names the architecture %s" % architecture)
    check('level="%s"' % level in manifest, "manifest asks for execution level %s" % level)
    check('uiAccess="false"' in manifest, "manifest declines UI access")
    for guid, system in SUPPORTED_OS.items():
        check(guid in manifest.lower(), "manifest declares %s" % system)
    return manifest


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--machine", choices=sorted(MACHINES), required=True)
    parser.add_argument("--allowed-imports", nargs="+", required=True)
    parser.add_argument("--binary-only", action="store_true",
                        help="check the image and its imports only (no version or icon, and the "
                             "manifest only with --manifest-level)")
    parser.add_argument("--manifest-level",
                        help="with --binary-only: the execution level the manifest asks for")
    args = parser.parse_args()

    failures = []

    def check(condition, what):
        print(("ok      " if condition else "FAILED  ") + what)
        if not condition:
            failures.append(what)

    pe = pefile.PE(args.exe)
    expected_machine, expected_magic, architecture = MACHINES[args.machine]
    magic, machine = pe.OPTIONAL_HEADER.Magic, pe.FILE_HEADER.Machine
    check(magic == expected_magic, "optional header magic 0x%x (0x%x)" % (expected_magic, magic))
    check(machine == expected_machine, "machine %s (0x%x)" % (args.machine, machine))
    subsystem = pe.OPTIONAL_HEADER.Subsystem
    check(subsystem == SUBSYSTEM_WINDOWS_GUI, "subsystem Windows GUI (%s)" % subsystem)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    check(flags & DYNAMIC_BASE, "DllCharacteristics DYNAMIC_BASE (0x%04x)" % flags)
    check(flags & NX_COMPAT, "DllCharacteristics NX_COMPAT (0x%04x)" % flags)
    # Without relocations the loader cannot move the image, whatever DYNAMIC_BASE says.
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY[
        "IMAGE_DIRECTORY_ENTRY_BASERELOC"]].Size
    check(not pe.FILE_HEADER.Characteristics & IMAGE_FILE_RELOCS_STRIPPED and relocations > 0,
          "base relocations present")

    # A zero-initialised variable belongs in .bss, which takes no room in the file; a run of
    # zeros in .data is such a variable stored as bytes.
    for section in pe.sections:
        if section.Name.rstrip(b"\0") != b".data":
            continue
        stored = section.get_data()[:min(section.Misc_VirtualSize, section.SizeOfRawData)]
        longest = max((len(run) for run in re.findall(rb"\0+", stored)), default=0)
        check(longest < LONGEST_ZERO_RUN_IN_DATA,
              ".data holds no zero-filled buffer (longest run of zeros %d bytes)" % longest)

    allowed = {name.lower().removesuffix(".dll") for name in args.allowed_imports}
    # Delay-loaded DLLs count as imports as well.
    imports = [entry.dll.decode("latin-1") for table in ("DIRECTORY_ENTRY_IMPORT",
                                                         "DIRECTORY_ENTRY_DELAY_IMPORT")
               for entry in getattr(pe, table, [])]
    for dll in imports:
        check(dll.lower().removesuffix(".dll") in allowed, "import %s is allowed" % dll)
    check(len(imports) > 0, "import table read")
    if args.binary_only:
        if args.manifest_level:
            check_manifest(resources(pe), args.manifest_level, architecture, check)
        return 1 if failures else 0

    found = resources(pe)
    manifest = check_manifest(found, "requireAdministrator", architecture, check)
    check("Common-Controls" not in manifest, "manifest keeps the classic common controls")

    versions = [data for kind, _, _, data in found if kind == "VERSION"]
    check(len(versions) == 1, "one version resource")
    strings = {key.decode(): value.decode()
               for info in getattr(pe, "FileInfo", [])
               for block in info if block.Key == b"StringFileInfo"
               for table in block.StringTable for key, value in table.entries.items()}
    for key, value in EXPECTED_VERSION_STRINGS.items():
        check(strings.get(key) == value, "version %s is %r (%r)" % (key, value, strings.get(key)))

    groups = [(name, data) for kind, name, _, data in found if kind == "GROUP_ICON"]
    check([name for name, _ in groups] == ["QRINS"], "the only icon group is QRINS (%s)"
          % [name for name, _ in groups])
    icons = {name: data for kind, name, _, data in found if kind == "ICON"}
    if groups:
        data = groups[0][1]
        reserved, kind, count = struct.unpack_from("<HHH", data, 0)
        check(kind == 1 and count == 3, "icon group holds 3 icons (%d)" % count)
        sizes = []
        for i in range(count):
            width, height, colours, _, planes, bits, size, icon_id = struct.unpack_from(
                "<BBBBHHIH", data, 6 + 14 * i)
            sizes.append(width)
            check(width == height and colours == 0 and bits == 8,
                  "icon %d: %dx%d, 256 colours at 8 bits (%d colours, %d bits)"
                  % (icon_id, width, height, colours, bits))
            image = icons.get(icon_id, b"")
            check(len(image) == size and len(image) >= 40
                  and struct.unpack_from("<iiHH", image, 4) == (width, 2 * height, 1, 8),
                  "icon %d: 8-bit bitmap of the listed size" % icon_id)
        check(sizes == [48, 32, 16], "icon sizes 48, 32, 16 (%s)" % sizes)

    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
