#!/usr/bin/env python3
"""The Windows zip: exactly what ships (glass-meridian.exe, fluxcore.dll,
data.pak), in a fixed order with fixed times, so equal files give an equal zip.

  make_windows_zip.py DIST_FOLDER OUT.zip
"""
import os, sys, zipfile
dist, path = sys.argv[1], sys.argv[2]
with zipfile.ZipFile(path + ".part", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in ("glass-meridian.exe", "fluxcore.dll", "data.pak"):
        entry = zipfile.ZipInfo(name, date_time=(2026, 12, 8, 0, 0, 0))
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        with open(f"{dist}/{name}", "rb") as f:
            z.writestr(entry, f.read(), compresslevel=9)
os.replace(path + ".part", path)
