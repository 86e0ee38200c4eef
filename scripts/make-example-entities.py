#!/usr/bin/env python3
"""Writes the example entity database and its style dictionary in examples/.

entities-site.db holds a small survey site beside the first straight of element-jinggangao.RE
(start x 3401234.567, y 498765.432, bearing 28.5 degrees): control points, street lamps, the two
road edges, a ditch, two parcels and a building, with their observations in GPSTable and
RelationTable as field data collection writes them. entities-site-style.db says how each class
is drawn. Run it from the repository root: python3 scripts/make-example-entities.py
The content is deterministic.
"""

import math
import os
import sqlite3

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")
X0, Y0, BEARING = 3401234.567, 498765.432, math.radians(28.5)


def site(along, offset):
    """Grid x, y of a point `along` metres down the route's first straight, `offset` to its right."""
    return (round(X0 + along * math.cos(BEARING) - offset * math.sin(BEARING), 3),
            round(Y0 + along * math.sin(BEARING) + offset * math.cos(BEARING), 3))


def rgb(r, g, b):
    return r | (g << 8) | (b << 16)  # stored as 0x00BBGGRR


# (class, type 0 point / 1 line / 2 plane, label 1, label 2)
CLASSES = [
    ("控制点", 0, "点名", "无"),
    ("路灯", 0, "无", "无"),
    ("道路边线", 1, "名称", "编码"),
    ("排水沟", 1, "无", "无"),
    ("地块", 2, "地块号", "用途"),
    ("建筑物", 2, "名称", "无"),
]

# (class, identifier, labels, [(along, offset), ...])
ENTITIES = [
    ("控制点", "GP01", ["GP01"], [(20, -15)]),
    ("控制点", "GP02", ["GP02"], [(150, 18)]),
    ("控制点", "GP03", ["GP03"], [(280, -16)]),
    ("控制点", "GP04", ["GP04"], [(400, 17)]),
    ("路灯", "LD1", [], [(60, -8)]),
    ("路灯", "LD2", [], [(140, -8)]),
    ("路灯", "LD3", [], [(220, -8)]),
    ("路灯", "LD4", [], [(300, -8)]),
    ("道路边线", "BX1", ["左侧边线", "L"], [(0, -6), (140, -6), (280, -6), (420, -6)]),
    ("道路边线", "BX2", ["右侧边线", "R"], [(0, 6), (140, 6), (280, 6), (420, 6)]),
    # A part of BX2 recorded separately: the loader leaves such identifiers out.
    ("道路边线", "BX2_1", ["右侧边线", "R"], [(420, 6), (430, 8)]),
    ("排水沟", "PS1", [], [(0, 10), (100, 10.5), (200, 11), (300, 10.5), (420, 10)]),
    ("地块", "DK-01", ["DK-01", "绿地"], [(40, 14), (40, 40), (120, 40), (120, 14)]),
    ("地块", "DK-02", ["DK-02", "预留"], [(180, -12), (180, -45), (260, -50), (270, -12)]),
    ("建筑物", "JZ1", ["管理用房"], [(60, 20), (60, 32), (85, 32), (85, 20)]),
]

STYLES_POINT = [("控制点", "", 0, rgb(255, 0, 0), 20), ("路灯", "Wingdings", 0x52, rgb(255, 200, 0), 24)]
STYLES_LINE = [("道路边线", 0, rgb(255, 255, 255), 2), ("排水沟", 1, rgb(0, 160, 255), 1)]
STYLES_PLANE = [("地块", 0, rgb(0, 200, 0), 1, 0, rgb(40, 110, 40)), ("建筑物", 0, rgb(255, 128, 0), 2, 0, rgb(150, 90, 40))]


def write_database(path):
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    db.executescript("""
        create table AttributeTable(Entity_Name TEXT, Entity_Type INTEGER, Label1 TEXT, Label2 TEXT);
        create table GPSTable(GPS_ID INTEGER, LocalPlaneCoordinate_x REAL, LocalPlaneCoordinate_y REAL);
        create table RelationTable(GPS_ID INTEGER, Entity_ID TEXT);
        create table EntityTable(Entity_ID TEXT, Entity_Name TEXT);
    """)
    for name, kind, label1, label2 in CLASSES:
        db.execute("insert into AttributeTable values(?, ?, ?, ?)", (name, kind, label1, label2))
        columns = ["Entity_ID TEXT"] + ['"%s" TEXT' % l for l in (label1, label2) if l not in ("", "无")]
        db.execute('create table "%s"(%s)' % (name, ", ".join(columns)))
    labels = {name: [l for l in (l1, l2) if l not in ("", "无")] for name, _, l1, l2 in CLASSES}
    gps = 0
    for cls, ident, values, points in ENTITIES:
        values = (values + [""] * len(labels[cls]))[:len(labels[cls])]
        db.execute('insert into "%s" values(%s)' % (cls, ", ".join("?" * (1 + len(values)))), [ident] + values)
        db.execute("insert into EntityTable values(?, ?)", (ident, cls))
        for along, offset in points:
            gps += 1
            x, y = site(along, offset)
            db.execute("insert into GPSTable values(?, ?, ?)", (gps, x, y))
            db.execute("insert into RelationTable values(?, ?)", (gps, ident))
    db.commit()
    db.close()


def write_dictionary(path):
    if os.path.exists(path):
        os.remove(path)
    db = sqlite3.connect(path)
    db.executescript("""
        create table Entity(Name TEXT);
        create table Entity_Style_Point(Entity_Name TEXT, Icon_FontName TEXT, Icon_Index INTEGER, Icon_Color INTEGER,
                                        Icon_Size INTEGER);
        create table Entity_Style_Line(Entity_Name TEXT, Line_Style INTEGER, Line_Color INTEGER, Line_Width INTEGER);
        create table Entity_Style_Plane(Entity_Name TEXT, Outline_Style INTEGER, Outline_Color INTEGER,
                                        Outline_Width INTEGER, Fillin_Style INTEGER, Fillin_Color INTEGER);
    """)
    for table, rows in (("Entity_Style_Point", STYLES_POINT), ("Entity_Style_Line", STYLES_LINE),
                        ("Entity_Style_Plane", STYLES_PLANE)):
        for row in rows:
            db.execute("insert into Entity values(?)", (row[0],))
            db.execute("insert into %s values(%s)" % (table, ", ".join("?" * len(row))), row)
    db.commit()
    db.close()


if __name__ == "__main__":
    write_database(os.path.join(EXAMPLES, "entities-site.db"))
    write_dictionary(os.path.join(EXAMPLES, "entities-site-style.db"))
