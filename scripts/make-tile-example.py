#!/usr/bin/env python3
"""Writes the example tile set examples/tiles-jinggangao.db around the route element-jinggangao.RE.

The route lies on the Beijing 1954 Gauss grid with central meridian 114° E
(examples/coord/beijing54_114.xml), between about 30.731° N 113.987° E and 30.761° N 114.026° E.
The tiles cover 30.715° to 30.775° N and 113.970° to 114.045° E at zoom levels 12 to 15. They are
generated pictures, no imagery: each tile is filled with a colour that encodes its level, column
and row, with a dark frame, so a misplaced tile shows at a glance.

The script writes the tiles as PNG into a temporary MBTiles file (rows counted from the south) and
converts that with the command-line tool, which also re-encodes them as JPEG:
  python3 scripts/make-tile-example.py [build/cli/tesvane]
Running it again writes the same file.
"""

import math
import os
import sqlite3
import struct
import subprocess
import sys
import tempfile
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
OUT = os.path.join(ROOT, "examples", "tiles-jinggangao.db")
SOUTH, NORTH, WEST, EAST = 30.715, 30.775, 113.970, 114.045
LEVELS = range(12, 16)


def png(width, height, rows):
    """A minimal RGB PNG from rows of bytes."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def tile_picture(level, column, row):
    fill = bytes(((level * 40) % 256, 96 + (column * 37) % 160, 96 + (row * 53) % 160))
    dark = b"\x30\x30\x30"
    rows = []
    for y in range(256):
        if y < 2 or y > 253:
            rows.append(dark * 256)
        else:
            rows.append(dark * 2 + fill * 252 + dark * 2)
    return png(256, 256, rows)


def column_of(lon, z):
    return int((lon + 180.0) / 360.0 * (1 << z))


def row_of(lat, z):
    s = math.sin(math.radians(lat))
    return int((0.5 - math.log((1 + s) / (1 - s)) / (4 * math.pi)) * (1 << z))


def main():
    tool = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "cli", "tesvane")
    with tempfile.TemporaryDirectory() as tmp:
        mbtiles = os.path.join(tmp, "tiles.mbtiles")
        db = sqlite3.connect(mbtiles)
        db.execute("create table metadata (name text, value text)")
        db.execute("create table tiles (zoom_level integer, tile_column integer, tile_row integer, tile_data blob)")
        for z in LEVELS:
            for x in range(column_of(WEST, z), column_of(EAST, z) + 1):
                for y in range(row_of(NORTH, z), row_of(SOUTH, z) + 1):
                    tms_row = (1 << z) - 1 - y
                    db.execute("insert into tiles values (?, ?, ?, ?)", (z, x, tms_row, tile_picture(z, x, y)))
        db.commit()
        db.close()
        subprocess.run([tool, "tileset", mbtiles, OUT, "--quality", "50"], check=True)


if __name__ == "__main__":
    main()
