#!/usr/bin/python3
"""Lists the resources of a Windows PE executable, or weighs it without its payload.

    pe_resources.py EXE                  one line per resource: type, name, language, size
    pe_resources.py --weight EXE         file size, size of the "RAW" resources, and the rest
    pe_resources.py --weight [--limit N] [--file-limit N]
                    [--installed DIR [--installed-limit N]] EXE
                                         as --weight, and with --installed a second line: the
                                         files below DIR (the installed tree) and their bytes;
                                         exits 1 if the rest exceeds --limit bytes, the whole
                                         file --file-limit, or the files below DIR together
                                         --installed-limit (or when DIR holds no file)

The rest ("own weight") is what the executable weighs without its payload items, the resources
of type "RAW". Exits 2 on a file that is not a PE executable or has a damaged resource tree.
The executable is read with pefile (Debian's python3-pefile); check_exe.py uses resources() too.
"""
import argparse
import os
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


def installed_size(folder):
    """The number of files below folder and their bytes together."""
    sizes = [os.path.getsize(os.path.join(at, name))
             for at, _, names in os.walk(folder) for name in names]
    return len(sizes), sum(sizes)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.strip(),
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe")
    parser.add_argument("--weight", action="store_true")
    parser.add_argument("--limit", type=int, help="most bytes of own weight")
    parser.add_argument("--file-limit", type=int, help="most bytes of the whole executable")
    parser.add_argument("--installed", help="the folder of the installed files")
    parser.add_argument("--installed-limit", type=int,
                        help="most bytes of the installed files together")
    args = parser.parse_args(argv[1:])
    if not args.weight and any(value is not None for value in (
            args.limit, args.file_limit, args.installed, args.installed_limit)):
        parser.error("the limits and --installed go with --weight")
    if args.installed_limit is not None and not args.installed:
        parser.error("--installed-limit needs --installed")
    path = args.exe
    try:
        pe = pefile.PE(path)
        found = resources(pe)
    except pefile.PEFormatError as e:
        print("pe_resources: %s: %s" % (path, e), file=sys.stderr)
        return 2
    if not args.weight:
        for type_label, name, language, data in found:
            print("%s\t%s\t%d\t%d" % (type_label, name, language, len(data)))
        return 0
    raw = [len(data) for type_label, _, _, data in found if type_label == "RAW"]
    size = len(pe.__data__)
    own = size - sum(raw)
    print("file %d bytes, %d RAW items %d bytes, own weight %d bytes"
          % (size, len(raw), sum(raw), own))
    over = []
    if args.limit is not None and own > args.limit:
        over.append("%s weighs %d bytes without its payload, over the limit of %d"
                    % (path, own, args.limit))
    if args.file_limit is not None and size > args.file_limit:
        over.append("%s weighs %d bytes, over the limit of %d" % (path, size, args.file_limit))
    if args.installed:
        count, total = installed_size(args.installed)
        print("installed %d files %d bytes" % (count, total))
        if count == 0:
            over.append("no installed files below %s" % args.installed)
        if args.installed_limit is not None and total > args.installed_limit:
            over.append("the %d files below %s weigh %d bytes, over the limit of %d"
                        % (count, args.installed, total, args.installed_limit))
    for message in over:
        print("pe_resources: " + message, file=sys.stderr)
    return 1 if over else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
