#!/usr/bin/env python3
"""Lists the resources of a Windows PE executable, or weighs it without its payload.

    pe_resources.py EXE                  one line per resource: type, name, language, size
    pe_resources.py --weight EXE         file size, size of the "RAW" resources, and the rest
    pe_resources.py --weight --limit N EXE
                                         as --weight; exits 1 if the rest exceeds N bytes

The rest ("own weight") is what the executable weighs without its payload items, the resources
of type "RAW". Exits 2 on a file that is not a PE executable or has a damaged resource tree.
"""
import struct
import sys

# Integer resource types by their usual names.
TYPE_NAMES = {
    1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING", 7: "FONTDIR",
    8: "FONT", 9: "ACCELERATOR", 10: "RCDATA", 11: "MESSAGETABLE", 12: "GROUP_CURSOR",
    14: "GROUP_ICON", 16: "VERSION", 17: "DLGINCLUDE", 19: "PLUGPLAY", 20: "VXD",
    21: "ANICURSOR", 22: "ANIICON", 23: "HTML", 24: "MANIFEST",
}


class PeError(Exception):
    pass


def unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise PeError("structure at 0x%x lies outside the file" % offset)
    return struct.unpack_from(fmt, data, offset)


def resource_section(data):
    """Returns (file offset of the resource directory, function mapping an RVA to a file offset)."""
    if data[:2] != b"MZ":
        raise PeError("no MZ header")
    (pe,) = unpack("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise PeError("no PE signature")
    sections, optional_size = unpack("<2xH12xH2x", data, pe + 4)
    optional = pe + 24
    (magic,) = unpack("<H", data, optional)
    if magic == 0x10B:
        directories = optional + 96
    elif magic == 0x20B:
        directories = optional + 112
    else:
        raise PeError("unknown optional header 0x%x" % magic)
    (count,) = unpack("<I", data, directories - 4)
    table = optional + optional_size
    spans = []
    for i in range(sections):
        vsize, vaddr, raw_size, raw_ptr = unpack("<8xIIII", data, table + 40 * i)
        spans.append((vaddr, max(vsize, raw_size), raw_ptr, raw_size))

    def to_offset(rva, length=1):
        for vaddr, vsize, raw_ptr, raw_size in spans:
            if vaddr <= rva and rva + length <= vaddr + vsize:
                if rva - vaddr + length > raw_size:
                    raise PeError("RVA 0x%x lies beyond the data of its section" % rva)
                return raw_ptr + rva - vaddr
        raise PeError("RVA 0x%x lies in no section" % rva)

    if count < 3:
        return None, to_offset
    rva, size = unpack("<II", data, directories + 16)
    if rva == 0 or size == 0:
        return None, to_offset
    return to_offset(rva), to_offset


def resources(data):
    """Yields (type, name, language, size) for every resource; names are texts or integers."""
    base, to_offset = resource_section(data)
    if base is None:
        return

    def label(value):
        if value & 0x80000000:
            at = base + (value & 0x7FFFFFFF)
            (length,) = unpack("<H", data, at)
            text = data[at + 2:at + 2 + 2 * length]
            if len(text) != 2 * length:
                raise PeError("resource name outside the file")
            return text.decode("utf-16-le")
        return value & 0xFFFF

    def entries(offset, depth):
        if depth > 3:
            raise PeError("resource tree deeper than three levels")
        named, ids = unpack("<12xHH", data, base + offset)
        for i in range(named + ids):
            name, target = unpack("<II", data, base + offset + 16 + 8 * i)
            yield label(name), target

    for type_label, types in entries(0, 1):
        if not types & 0x80000000:
            raise PeError("type entry without a directory")
        for name_label, names in entries(types & 0x7FFFFFFF, 2):
            if not names & 0x80000000:
                raise PeError("name entry without a directory")
            for language, leaf in entries(names & 0x7FFFFFFF, 3):
                if leaf & 0x80000000:
                    raise PeError("language entry with a directory")
                rva, size = unpack("<II", data, base + leaf)
                to_offset(rva, max(size, 1))  # the data must lie in the file
                if isinstance(type_label, int):
                    type_label = TYPE_NAMES.get(type_label, type_label)
                yield type_label, name_label, language, size


def main(argv):
    args = argv[1:]
    weight = "--weight" in args
    limit = None
    if "--limit" in args:
        at = args.index("--limit")
        limit = int(args[at + 1])
        del args[at:at + 2]
    args = [a for a in args if a != "--weight"]
    if len(args) != 1:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    path = args[0]
    with open(path, "rb") as f:
        data = f.read()
    try:
        found = list(resources(data))
    except PeError as e:
        print("pe_resources: %s: %s" % (path, e), file=sys.stderr)
        return 2
    if not weight:
        for type_label, name, language, size in found:
            print("%s\t%s\t%d\t%d" % (type_label, name, language, size))
        return 0
    raw = [size for type_label, _, _, size in found if type_label == "RAW"]
    own = len(data) - sum(raw)
    print("file %d bytes, %d RAW items %d bytes, own weight %d bytes"
          % (len(data), len(raw), sum(raw), own))
    if limit is not None and own > limit:
        print("pe_resources: %s weighs %d bytes without its payload, over the limit of %d"
              % (path, own, limit), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
