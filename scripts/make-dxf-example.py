#!/usr/bin/env python3
"""Writes examples/site-jinggangao.dxf, a DXF site sketch beside the start of the route
element-jinggangao.RE (Gauss grid: DXF X is the easting, Y the northing, so the sketch lies near
X 498,800, Y 3,401,300). Plain DXF text (AutoCAD 2000, code page ANSI_936: Chinese layer names
and texts in GBK), written by this script directly:

  layers   道路 red, 建筑 blue, 绿化 green, 标注 yellow, 水系 cyan
  blocks   TREE (a circle and a cross, by layer) inserted eight times at several rotations,
           BENCH (a small square holding a TREE: a nested block) inserted twice
  entities an access road as an LWPOLYLINE with bulged (arc) segments, two closed building
           outlines, a solid hatch (a pond with an arc edge), TEXT and MTEXT labels, a line

Run from the repository root: python3 scripts/make-dxf-example.py
Running it again writes the same file.
"""

import math
import os

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
OUT = os.path.join(ROOT, "examples", "site-jinggangao.dxf")
E0, N0 = 498760.0, 3401180.0  # the sketch's south-west corner (easting, northing)

groups = []


def g(code, value):
    if isinstance(value, float):
        value = ("%.4f" % value)
    groups.append((code, str(value)))


def section(name):
    g(0, "SECTION")
    g(2, name)


def endsec():
    g(0, "ENDSEC")


def layer(name, colour):
    g(0, "LAYER"); g(2, name); g(70, 0); g(62, colour); g(6, "CONTINUOUS")


def lwpolyline(layer_name, vertices, closed=False):
    g(0, "LWPOLYLINE"); g(8, layer_name); g(62, 256); g(90, len(vertices)); g(70, 1 if closed else 0)
    for v in vertices:
        g(10, float(v[0])); g(20, float(v[1]))
        if len(v) > 2 and v[2]:
            g(42, float(v[2]))


def line(layer_name, x1, y1, x2, y2):
    g(0, "LINE"); g(8, layer_name); g(10, float(x1)); g(20, float(y1)); g(11, float(x2)); g(21, float(y2))


def circle(layer_name, x, y, r):
    g(0, "CIRCLE"); g(8, layer_name); g(10, float(x)); g(20, float(y)); g(40, float(r))


def insert(name, layer_name, x, y, angle=0.0, colour=256):
    g(0, "INSERT"); g(8, layer_name); g(62, colour); g(2, name); g(10, float(x)); g(20, float(y)); g(50, float(angle))


def text(layer_name, x, y, height, value, angle=0.0):
    g(0, "TEXT"); g(8, layer_name); g(10, float(x)); g(20, float(y)); g(40, float(height)); g(1, value); g(50, float(angle))


def mtext(layer_name, x, y, height, value, attachment=5):
    g(0, "MTEXT"); g(8, layer_name); g(10, float(x)); g(20, float(y)); g(40, float(height)); g(71, attachment); g(1, value)


def block(name, body):
    g(0, "BLOCK"); g(8, "0"); g(2, name); g(70, 0); g(10, 0.0); g(20, 0.0); g(3, name)
    body()
    g(0, "ENDBLK"); g(8, "0")


def main():
    e = lambda dx: E0 + dx
    n = lambda dy: N0 + dy
    section("HEADER")
    g(9, "$ACADVER"); g(1, "AC1015")
    g(9, "$DWGCODEPAGE"); g(3, "ANSI_936")
    g(9, "$EXTMIN"); g(10, e(0.0)); g(20, n(0.0)); g(30, 0.0)
    g(9, "$EXTMAX"); g(10, e(400.0)); g(20, n(300.0)); g(30, 0.0)
    g(9, "$DIMTXT"); g(40, 2.5)
    endsec()

    section("TABLES")
    g(0, "TABLE"); g(2, "LAYER"); g(70, 6)
    layer("0", 7)
    for name, colour in (("道路", 1), ("建筑", 5), ("绿化", 3), ("标注", 2), ("水系", 4)):
        layer(name, colour)
    g(0, "ENDTAB")
    endsec()

    section("BLOCKS")

    def tree():
        circle("0", 0.0, 0.0, 3.0)
        line("0", -3.0, 0.0, 3.0, 0.0)
        line("0", 0.0, -3.0, 0.0, 3.0)

    def bench():
        lwpolyline("0", [(-5, -2), (5, -2), (5, 2), (-5, 2)], closed=True)
        insert("TREE", "0", 0.0, 6.0)

    block("TREE", tree)
    block("BENCH", bench)
    endsec()

    section("ENTITIES")
    # The access road: straight, a quarter-circle bend to the north (bulge tan(90°/4)), straight,
    # then an S of two opposite half-bends.
    q = math.tan(math.radians(90) / 4)
    h = math.tan(math.radians(45) / 4)
    lwpolyline("道路", [(e(20), n(40), 0), (e(160), n(40), q), (e(200), n(80), 0), (e(200), n(140), h),
                        (e(230), n(200), -h), (e(260), n(260), 0)])
    lwpolyline("道路", [(e(20), n(52), 0), (e(160), n(52), q), (e(188), n(80), 0), (e(188), n(140), h),
                        (e(218), n(200), -h), (e(248), n(260), 0)])
    # Buildings.
    lwpolyline("建筑", [(e(40), n(80)), (e(120), n(80)), (e(120), n(130)), (e(40), n(130))], closed=True)
    lwpolyline("建筑", [(e(260), n(60)), (e(330), n(60)), (e(330), n(110)), (e(260), n(110))], closed=True)
    line("建筑", e(40), n(105), e(120), n(105))
    # A pond: a solid hatch whose boundary is a polyline with one arc edge.
    g(0, "HATCH"); g(8, "水系"); g(62, 256); g(10, 0.0); g(20, 0.0); g(30, 0.0)
    g(210, 0.0); g(220, 0.0); g(230, 1.0); g(2, "SOLID"); g(70, 1); g(71, 0); g(91, 1)
    g(92, 2); g(72, 1); g(73, 1); g(93, 4)
    for x, y, b in ((300, 180, 0.0), (360, 180, 0.6), (360, 240, 0.0), (300, 240, 0.0)):
        g(10, e(x)); g(20, n(y)); g(42, b)
    g(97, 0); g(75, 0); g(76, 1); g(98, 0)
    # Trees along the road at several rotations, and two benches.
    for i in range(8):
        insert("TREE", "绿化", e(30 + 18 * i), n(24), angle=15.0 * i)
    insert("BENCH", "绿化", e(80), n(160), angle=0.0)
    insert("BENCH", "绿化", e(140), n(160), angle=90.0)
    # Labels.
    text("标注", e(40), n(60), 6.0, "施工便道")
    text("标注", e(45), n(135), 5.0, "项目部")
    mtext("标注", e(295), n(85), 4.0, "拌和站\\P(临时用地)")
    mtext("标注", e(330), n(210), 4.0, "沉淀池")
    endsec()
    g(0, "EOF")

    with open(OUT, "wb") as f:
        for code, value in groups:
            f.write(("%3d\r\n" % code).encode("ascii"))
            f.write(value.encode("gbk") + b"\r\n")


if __name__ == "__main__":
    main()
