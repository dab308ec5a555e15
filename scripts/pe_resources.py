#!/usr/bin/python3
"""Lists the resources of a Windows PE executable, or weighs it without its payload.

    pe_resources.py EXE                  one line per resource: type, name, language, size
    pe_resources.py --weight EXE         file size, size of the "RAW" resources, and the rest
    pe_resources.py --weight --limit N EXE
                                         as --weight; exits 1 if the rest exceeds N bytes

The rest ("own weight") is what the executable weighs without its payload items, the resources
of type "RAW". Exits 2 on a file that is not a PE executable or has a damaged resource tree.
The executable is read with pefile (Debian's python3-pefile); check_exe.py uses resources() too.
"""
import sys

import pefile


def resources(pe):
    """Every resource as (type, name, language, bytes). Types with an integer id are named as
    pefile names them without "RT_" (ICON, GROUP_ICON, ...); other names are texts or ids."""
    found = []
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found

    def label(entry):
        return str(entry.name) if entry.name is not None else entry.id

    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        type_label = label(kind)
        if isinstance(type_label, int):
            type_label = pefile.RESOURCE_TYPE.get(type_label, "%d" % type_label)
            type_label = type_label.removeprefix("RT_")
        for name in kind.directory.entries:
            for language in name.directory.entries:
                leaf = language.data.struct
                data = pe.get_data(leaf.OffsetToData, leaf.Size)
                if len(data) != leaf.Size:
                    raise pefile.PEFormatError("resource data outside the file")
                found.append((type_label, label(name), language.id, data))
    return found


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
    try:
        pe = pefile.PE(path)
        found = resources(pe)
    except pefile.PEFormatError as e:
        print("pe_resources: %s: %s" % (path, e), file=sys.stderr)
        return 2
    if not weight:
        for type_label, name, language, data in found:
            print("%s\t%s\t%d\t%d" % (type_label, name, language, len(data)))
        return 0
    raw = [len(data) for type_label, _, _, data in found if type_label == "RAW"]
    own = len(pe.__data__) - sum(raw)
    print("file %d bytes, %d RAW items %d bytes, own weight %d bytes"
          % (len(pe.__data__), len(raw), sum(raw), own))
    if limit is not None and own > limit:
        print("pe_resources: %s weighs %d bytes without its payload, over the limit of %d"
              % (path, own, limit), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
