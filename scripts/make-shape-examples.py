#!/usr/bin/env python3
"""Writes the example parcel shapefile examples/parcels-jinggangao.* beside the route
element-jinggangao.RE: land parcels (80 m x 60 m blocks) within 150 m of the route's first
2.1 km, with Chinese attribute values as a land survey keeps them:

  DKBH  parcel number    QSR  owner (one with an apostrophe)    DLMC  land use    MJ  area (m2)

The coordinate system is CGCS2000 / 3-degree Gauss-Kruger CM 114E (EPSG:4547, false easting
500 km), the grid of the example routes: x north near 3,401,000 m, y east near 499,000 m. The
shapefile is written by GDAL's ogr2ogr from a CSV of well-known text, in UTF-8 with its .cpg
and an ESRI .prj. The centre line comes from the command-line tool, so build it first. Run from
the repository root:
  python3 scripts/make-shape-examples.py [build/cli/tesvane]
Running it again writes the same files.
"""

import csv
import math
import os
import subprocess
import sys
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
EXAMPLES = os.path.join(ROOT, "examples")
ROUTE = os.path.join(EXAMPLES, "element-jinggangao.RE")
NAME = "parcels-jinggangao"
START, END, STEP = 12345.678, 14445.678, 20.0
CELL_E, CELL_N, REACH = 80.0, 60.0, 150.0
OWNERS = ["张家湾村", "李家岭村", "王家坝村", "陈家岗村", "刘家台村", "O'Brien 苗圃", "赵家咀村"]
USES = ["水田", "旱地", "林地", "宅基地", "坑塘水面", "水田", "旱地"]


def centre_line(tool):
    points = []
    s = START
    while s <= END + 1e-9:
        out = subprocess.run([tool, "point", ROUTE, "%.3f" % s], check=True, capture_output=True,
                             text=True).stdout
        x, y = out.strip().split(",")[:2]
        points.append((float(x), float(y)))
        s += STEP
    return points


def main():
    tool = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "cli", "tesvane")
    line = centre_line(tool)
    n0 = math.floor(min(p[0] for p in line) / CELL_N) * CELL_N - 3 * CELL_N
    n1 = max(p[0] for p in line) + 3 * CELL_N
    e0 = math.floor(min(p[1] for p in line) / CELL_E) * CELL_E - 3 * CELL_E
    e1 = max(p[1] for p in line) + 3 * CELL_E
    rows = []
    number = 0
    n = n0
    while n < n1:
        e = e0
        while e < e1:
            cn, ce = n + CELL_N / 2, e + CELL_E / 2
            if min(math.hypot(cn - x, ce - y) for x, y in line) <= REACH:
                number += 1
                k = (number * 5 + int(n / CELL_N)) % len(OWNERS)
                wkt = "POLYGON ((%.3f %.3f,%.3f %.3f,%.3f %.3f,%.3f %.3f,%.3f %.3f))" % (
                    e, n, e + CELL_E, n, e + CELL_E, n + CELL_N, e, n + CELL_N, e, n)
                rows.append([wkt, "DK-%03d" % number, OWNERS[k], USES[(number * 3) % len(USES)],
                             "%.2f" % (CELL_E * CELL_N)])
            e += CELL_E
        n += CELL_N
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, NAME + ".csv")
        with open(src, "w", encoding="utf-8", newline="") as f:
            w = csv.writer(f)
            w.writerow(["WKT", "DKBH", "QSR", "DLMC", "MJ"])
            w.writerows(rows)
        with open(os.path.join(tmp, NAME + ".csvt"), "w") as f:
            f.write('"WKT","String(10)","String(40)","String(20)","Real(12.2)"\n')
        for ext in ("shp", "shx", "dbf", "prj", "cpg", "shc", "shpinf"):
            path = os.path.join(EXAMPLES, NAME + "." + ext)
            if os.path.exists(path):
                os.remove(path)
        subprocess.run(["ogr2ogr", "-q", "-f", "ESRI Shapefile", os.path.join(EXAMPLES, NAME + ".shp"), src,
                        "-oo", "GEOM_POSSIBLE_NAMES=WKT", "-oo", "KEEP_GEOM_COLUMNS=NO", "-a_srs", "EPSG:4547",
                        "-nlt", "POLYGON", "-nln", NAME, "-lco", "ENCODING=UTF-8"], check=True)
    print("%d parcels written to examples/%s.shp" % (len(rows), NAME))


if __name__ == "__main__":
    main()
