#!/usr/bin/env python3
"""Writes the example point layers in examples/ along the route element-jinggangao.RE:

  points-jinggangao.dat  control points beside the centre line (GBK, CR LF, Chinese names); the
                         first half in the layout name,x,y,h,mark, the second half as field
                         survey software writes them: name,code,east,north,height
  points-jinggangao.db   the same points in the table Point of an SQLite database (column 1 name,
                         2 mark, 6..8 x, y, h, 11 zero when shown), plus one hidden row

The positions come from the command-line tool, so build it first. Run from the repository root:
  python3 scripts/make-point-examples.py [build/cli/tesvane]
Running it again writes the same files.
"""

import os
import sqlite3
import subprocess
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
EXAMPLES = os.path.join(ROOT, "examples")
ROUTE = os.path.join(EXAMPLES, "element-jinggangao.RE")
START, END, STEP, OFFSET = 12400.0, 17400.0, 250.0, 15.0


def station_text(s):
    km = int(s // 1000)
    return "K%d+%03d" % (km, int(round(s - km * 1000)))


def point_at(tool, station, offset):
    out = subprocess.run([tool, "point", ROUTE, "%.3f" % station, "--offset", "%.3f" % offset],
                         check=True, capture_output=True, text=True).stdout
    x, y = out.strip().split(",")[:2]
    return float(x), float(y)


def main():
    tool = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "cli", "tesvane")
    points = []  # (name, mark, x, y, h)
    station = START
    while station <= END:
        for side, offset in (("左", -OFFSET), ("右", OFFSET)):
            x, y = point_at(tool, station, offset)
            h = 120.0 + 0.004 * (station - START)
            points.append(("控制点%s%s" % (station_text(station), side), "导线点", x, y, h))
        station += STEP

    lines = []
    half = len(points) // 2
    for i, (name, mark, x, y, h) in enumerate(points):
        if i < half:
            lines.append("%s,%.3f,%.3f,%.3f,%s\r\n" % (name, x, y, h, mark))
        else:
            # Field survey layout; every third point without a code, as instruments write them.
            code = "" if i % 3 == 0 else "GPS"
            lines.append("%s,%s,%.3f,%.3f,%.3f\r\n" % (name, code, y, x, h))
    with open(os.path.join(EXAMPLES, "points-jinggangao.dat"), "wb") as f:
        f.write("".join(lines).encode("gbk"))

    path = os.path.join(EXAMPLES, "points-jinggangao.db")
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    db.execute("create table Point(ID integer primary key, Name text, Mark text, Code text, Layer text,"
               " Source text, X real, Y real, H real, Surveyor text, Date text, Hidden integer)")
    rows = [(i + 1, name, mark, "", "控制", "examples", x, y, h, "", "2024-05-01", 0)
            for i, (name, mark, x, y, h) in enumerate(points)]
    x, y = points[0][2] + 5.0, points[0][3] + 5.0
    rows.append((len(rows) + 1, "作废点", "不显示", "", "控制", "examples", x, y, 0.0, "", "2024-05-01", 1))
    db.executemany("insert into Point values(?,?,?,?,?,?,?,?,?,?,?,?)", rows)
    db.commit()
    db.close()
    print("wrote %d points" % len(points))


if __name__ == "__main__":
    main()
