#!/usr/bin/python3
"""Independent reader for the compound-file tests.

Usage: olefile_dump.py CONTAINER OUTDIR
Writes the bytes of every stream of CONTAINER to OUTDIR/<stream name> and prints one
line per stream: its name and the size recorded in the directory, tab-separated.
Exits 2 when CONTAINER is not a compound file.
"""
import os
import sys

import olefile


def main():
    container, outdir = sys.argv[1], sys.argv[2]
    if not olefile.isOleFile(container):
        return 2
    with olefile.OleFileIO(container) as ole:
        for path in sorted(ole.listdir(streams=True, storages=False)):
            name = "/".join(path)
            data = ole.openstream(path).read()
            with open(os.path.join(outdir, name.replace("/", "_")), "wb") as out:
                out.write(data)
            print("%s\t%d" % (name, ole.get_size(path)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
