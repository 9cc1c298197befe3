"""Makes a zip of a folder that depends on nothing but its files' names and contents: entries in
sorted order, every one dated EPOCH (zip keeps no time zone: the date is UTC's), readable by all,
and no other attributes of the files on disk, whose access and change times would differ from
build to build.

    zip.py FOLDER OUTPUT.zip EPOCH"""

import os
import sys
import time
import zipfile

FOLDER, OUTPUT, EPOCH = sys.argv[1], sys.argv[2], int(sys.argv[3])
# A zip's dates start in 1980.
DATE = time.gmtime(max(EPOCH, 315532800))[:6]

names = sorted(os.path.relpath(os.path.join(root, name), FOLDER)
               for root, _, files in os.walk(FOLDER) for name in files)
with zipfile.ZipFile(OUTPUT, "w") as archive:
    for name in names:
        entry = zipfile.ZipInfo(name, DATE)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.create_system = 3  # Unix, so that the mode below is read
        entry.external_attr = 0o100644 << 16
        with open(os.path.join(FOLDER, name), "rb") as file:
            archive.writestr(entry, file.read(), compresslevel=9)
