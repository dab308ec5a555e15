#!/usr/bin/env python3
"""Checks the built PagixSetup.exe as a file: PE32 for i386, a Windows GUI program with ASLR and
DEP, importing only the allowed system DLLs, with its manifest, version information and icon.

usage: check_exe.py EXE --allowed-imports DLL...
"""
import argparse
import struct
import sys
import xml.dom.minidom

IMAGE_FILE_MACHINE_I386 = 0x14C
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
PE32_MAGIC = 0x10B
SUBSYSTEM_WINDOWS_GUI = 2
DYNAMIC_BASE = 0x0040
NX_COMPAT = 0x0100

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24

SUPPORTED_OS = {
    "e2011457-1546-43c5-a5fe-008deee3d3f0": "Windows Vista",
    "35138b9a-5d96-4fbd-8e2d-a2440225f93a": "Windows 7",
    "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38": "Windows 8",
    "1f676c76-80e1-4239-95bb-83d0f6d0da78": "Windows 8.1",
    "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a": "Windows 10 and 11",
}

EXPECTED_VERSION_STRINGS = {
    "ProductName": "Pagix",
    "ProductVersion": "0.9d",
    "CompanyName": "Marrowby",
    "FileDescription": "Pagix 0.9d Install",
}


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        if self.magic != PE32_MAGIC:
            self.subsystem = self.dll_characteristics = None
            self.directories = []
        else:
            self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, opt + 68)
            count = struct.unpack_from("<I", data, opt + 92)[0]
            self.directories = [struct.unpack_from("<II", data, opt + 96 + 8 * i)
                                for i in range(min(count, 16))]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, vaddr, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), vaddr,
                                  max(vsize, rawsize), rawptr, rawsize))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for _, vaddr, size, rawptr, rawsize in self.sections:
            if vaddr <= rva < vaddr + size:
                if rva - vaddr >= rawsize:
                    raise ValueError("RVA 0x%x lies in uninitialised data" % rva)
                return rawptr + rva - vaddr
        raise ValueError("RVA 0x%x outside every section" % rva)

    def c_string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1")

    def imported_dlls(self):
        names = []
        rva, size = self.directory(1)
        if rva:
            at = self.offset(rva)
            while True:
                descriptor = struct.unpack_from("<IIIII", self.data, at)
                if not any(descriptor):
                    break
                names.append(self.c_string(descriptor[3]))
                at += 20
        # Delay-loaded DLLs count as imports as well.
        rva, size = self.directory(13)
        if rva:
            at = self.offset(rva)
            while True:
                descriptor = struct.unpack_from("<8I", self.data, at)
                if not any(descriptor):
                    break
                names.append(self.c_string(descriptor[1]))
                at += 32
        return names

    def resources(self):
        """Every resource as ((type, name, language), bytes); string names are str, ids int."""
        rva, size = self.directory(2)
        if not rva:
            return []
        base = self.offset(rva)
        found = []

        def label(raw):
            if raw & 0x80000000:
                at = base + (raw & 0x7FFFFFFF)
                length = struct.unpack_from("<H", self.data, at)[0]
                return self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return raw

        def walk(at, path):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                raw_name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                key = path + (label(raw_name),)
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), key)
                else:
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + target)
                    start = self.offset(data_rva)
                    found.append((key, self.data[start:start + data_size]))

        walk(base, ())
        return found


def version_strings(block):
    """The string values of a VS_VERSIONINFO block, by key."""
    strings = {}

    def walk(at, end, depth):
        while at + 6 <= end:
            length, value_length, kind = struct.unpack_from("<HHH", block, at)
            if length == 0:
                break
            stop = min(at + length, end)
            key_end = at + 6
            while key_end + 1 < stop and block[key_end:key_end + 2] != b"\0\0":
                key_end += 2
            key = block[at + 6:key_end].decode("utf-16-le")
            value = (key_end + 2 + 3) & ~3
            if key == "VS_VERSION_INFO":
                if struct.unpack_from("<I", block, value)[0] != 0xFEEF04BD:
                    raise ValueError("VS_FIXEDFILEINFO signature missing")
                walk((value + value_length + 3) & ~3, stop, depth + 1)
            elif key in ("StringFileInfo", "VarFileInfo") or (depth == 2 and kind == 1
                                                                and value_length == 0):
                walk(value, stop, depth + 1)
            elif kind == 1 and depth == 3:
                text = block[value:stop].decode("utf-16-le", "replace")
                strings[key] = text.split("\0")[0]
            at = (at + length + 3) & ~3

    walk(0, len(block), 0)
    return strings


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--allowed-imports", nargs="+", required=True)
    parser.add_argument("--binary-only", action="store_true",
                        help="check the image and its imports only (no manifest or version)")
    args = parser.parse_args()

    failures = []

    def check(condition, what):
        print(("ok      " if condition else "FAILED  ") + what)
        if not condition:
            failures.append(what)

    pe = PeFile(open(args.exe, "rb").read())
    check(pe.magic == PE32_MAGIC, "PE32 optional header (magic 0x%x)" % pe.magic)
    check(pe.machine == IMAGE_FILE_MACHINE_I386, "machine i386 (0x%x)" % pe.machine)
    check(pe.subsystem == SUBSYSTEM_WINDOWS_GUI, "subsystem Windows GUI (%s)" % pe.subsystem)
    flags = pe.dll_characteristics or 0
    check(flags & DYNAMIC_BASE, "DllCharacteristics DYNAMIC_BASE (0x%04x)" % flags)
    check(flags & NX_COMPAT, "DllCharacteristics NX_COMPAT (0x%04x)" % flags)
    # Without relocations the loader cannot move the image, whatever DYNAMIC_BASE says.
    check(not pe.characteristics & IMAGE_FILE_RELOCS_STRIPPED and pe.directory(5)[1] > 0,
          "base relocations present")

    allowed = {name.lower().removesuffix(".dll") for name in args.allowed_imports}
    imports = pe.imported_dlls()
    for dll in imports:
        check(dll.lower().removesuffix(".dll") in allowed, "import %s is allowed" % dll)
    check(len(imports) > 0, "import table read")
    if args.binary_only:
        return 1 if failures else 0

    resources = pe.resources()

    manifests = [data for (kind, name, _), data in resources if kind == RT_MANIFEST]
    check(len(manifests) == 1 and [name for (kind, name, _), _ in resources
                                   if kind == RT_MANIFEST] == [1], "one manifest, id 1")
    manifest = manifests[0].decode("utf-8", "replace") if manifests else ""
    # Windows refuses to start a program whose manifest is not well-formed XML.
    try:
        xml.dom.minidom.parseString(manifests[0] if manifests else b"")
        well_formed = True
    except Exception:  # the parser raises several kinds of error
        well_formed = False
    check(well_formed, "manifest is well-formed XML")
    check('level="requireAdministrator"' in manifest, "manifest asks for administrator rights")
    check('uiAccess="false"' in manifest, "manifest declines UI access")
    for guid, system in SUPPORTED_OS.items():
        check(guid in manifest.lower(), "manifest declares %s" % system)
    check("Common-Controls" not in manifest, "manifest keeps the classic common controls")

    versions = [data for (kind, _, _), data in resources if kind == RT_VERSION]
    check(len(versions) == 1, "one version resource")
    strings = version_strings(versions[0]) if versions else {}
    for key, value in EXPECTED_VERSION_STRINGS.items():
        check(strings.get(key) == value, "version %s is %r (%r)" % (key, value, strings.get(key)))

    groups = [(name, data) for (kind, name, _), data in resources if kind == RT_GROUP_ICON]
    check([name for name, _ in groups] == ["QRINS"], "the only icon group is QRINS (%s)"
          % [name for name, _ in groups])
    icons = {name: data for (kind, name, _), data in resources if kind == RT_ICON}
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
