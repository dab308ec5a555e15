#!/usr/bin/env python3
"""Remakes the product's two zip archives from the text files kept in product/content.

    make-archives.py           rewrites product/files/LANG/English.zip and
                               product/files/DICTIONARY/Webster 1913 - Micro.zip
    make-archives.py --check   exits 1 when a checked-in archive differs from its content folder

The archives are stored (uncompressed), their entries sorted by name and dated 14 September 1998,
12:00, so the same content always gives the same bytes. The build uses the checked-in archives
and never runs this script.
"""
import io
import pathlib
import sys
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
ARCHIVES = ["LANG/English.zip", "DICTIONARY/Webster 1913 - Micro.zip"]
FIXED_DATE = (1998, 9, 14, 12, 0, 0)


def archive_bytes(folder):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_STORED) as archive:
        for path in sorted(p for p in folder.iterdir() if p.is_file()):
            entry = zipfile.ZipInfo(path.name, FIXED_DATE)
            entry.create_system = 0  # MS-DOS
            entry.create_version = 20
            entry.extract_version = 10
            entry.external_attr = 0x20  # archive bit
            archive.writestr(entry, path.read_bytes())
    return out.getvalue()


def main(argv):
    check = argv[1:] == ["--check"]
    if argv[1:] and not check:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    stale = []
    for name in ARCHIVES:
        made = archive_bytes(ROOT / "product/content" / name[: -len(".zip")])
        target = ROOT / "product/files" / name
        if check:
            if not target.is_file() or target.read_bytes() != made:
                stale.append(name)
        else:
            target.write_bytes(made)
    for name in stale:
        print("make-archives: %s differs from product/content; run scripts/make-archives.py" % name,
              file=sys.stderr)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
