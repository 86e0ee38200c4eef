#!/usr/bin/env python3
"""Writes the example routes in examples/: element routes (.RE) and crossing-point routes (.RP).

The files are written in the exact line formats of the route files (GBK text, CR LF line ends,
printf-style fixed decimals), so reading one and saving it again gives the same bytes; the route
tests check that. Run it from the repository root: python3 scripts/make-example-routes.py
The geometry is deterministic: running it again writes the same files.
"""

import math
import os

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")


def write(name, lines):
    with open(os.path.join(EXAMPLES, name), "wb") as f:
        f.write("".join(lines).encode("gbk"))


# ---------------------------------------------------------------------------------------------
# Element routes


def element_line(kind, name="", x=0.0, y=0.0, h=0.0, note="", azimuth=0.0, length=0.0, radius=0.0, spare=0.0):
    return "ELEMENT :%d,%s,%.6f,%.6f,%.6f,%s,%.12f,%.6f,%.6f,%.6f,\r\n" % (
        kind, name, x, y, h, note, azimuth, length, radius, spare)


def element_route(file_name, road_name, start_station, x, y, bearing, parts, true_bearings):
    """parts: ("S", length) straights and ("C", signed radius, entry transition, arc, exit transition)
    curves. After a curve a straight carries either its true bearing or 0 (it then follows the
    curve before it)."""
    lines = ["ROADNAME:%s,\r\n" % road_name, "MELIAGE :%.3f,\r\n" % start_station,
             element_line(1, x=x, y=y)]
    after_curve = False
    for part in parts:
        if part[0] == "S":
            azimuth = bearing % 360.0 if (true_bearings or not after_curve) else 0.0
            lines.append(element_line(2, azimuth=azimuth, length=part[1]))
            after_curve = False
        else:
            _, radius, l1, arc, l2 = part
            if l1 > 0:
                lines.append(element_line(4, length=l1))
            lines.append(element_line(3, length=arc, radius=radius))
            if l2 > 0:
                lines.append(element_line(4, length=l2))
            turn = (l1 / 2.0 + arc + l2 / 2.0) / radius  # signed: positive turns right
            bearing += math.degrees(turn)
            after_curve = True
    write(file_name, lines)


# ---------------------------------------------------------------------------------------------
# Crossing-point routes


def tangent(radius, deflection, l):
    """Approximate tangent length of a symmetric curve, used only to space the crossing points."""
    if radius <= 0:
        return 0.0
    p = l * l / (24 * radius)
    q = l / 2 - l ** 3 / (240 * radius * radius)
    return (radius + p) * math.tan(abs(deflection) / 2) + q


def cross_route(file_name, road_name, x, y, bearing, curves, first_leg, last_leg, start_station, heights):
    """curves: (deflection degrees, positive right, radius, entry transition, exit transition,
    straight before the curve). Crossing points are spaced so that a straight of the given length
    remains between consecutive curves."""
    points = [("QD", x, y, 0.0, 0.0, 0.0)]
    b = math.radians(bearing)
    previous_exit = 0.0
    for i, (deflection, radius, l1, l2, straight) in enumerate(curves):
        d = math.radians(deflection)
        t_in = tangent(radius, d, max(l1, l2))
        leg = (first_leg if i == 0 else previous_exit + straight) + t_in
        if i == 0:
            leg = round(leg)  # a whole first leg keeps the start station exact
        x += leg * math.cos(b)
        y += leg * math.sin(b)
        points.append(("JD%d" % (i + 1), x, y, l1, radius, l2))
        b += d
        previous_exit = t_in
    leg = previous_exit + last_leg
    x += leg * math.cos(b)
    y += leg * math.sin(b)
    points.append(("ZD", x, y, 0.0, 0.0, 0.0))

    # Stations along the tangent polyline; the conversion uses the first point's (or, when that
    # is 0, the second point's) to fix the start station.
    lines = ["ROADNAME:%s,\r\n" % road_name]
    station = start_station
    for i, (name, px, py, l1, radius, l2) in enumerate(points):
        if i > 0:
            station += math.hypot(px - points[i - 1][1], py - points[i - 1][2])
        written_station = station if (i > 0 or start_station > 0.0001) else 0.0
        h = heights[i % len(heights)]
        lines.append("CROSSPT :%s,%.4f,%.4f,%.4f,%s,%.4f,%.4f,%.4f,%.4f,\r\n" % (
            name, px, py, h, "", l1, radius, l2, written_station))
    write(file_name, lines)


def long_route():
    """A 45-curve route of about 30 km: radii 300 to 3000 m both ways, transitions 60 to 250 m."""
    radii = [300, 450, 600, 800, 1000, 1200, 1500, 2000, 2500, 3000]
    curves = []
    for i in range(45):
        radius = radii[(i * 7) % len(radii)]
        l1 = min(60 + (i * 37) % 191, radius / 2)  # 60 .. 250, at most half the radius
        l2 = l1 if i % 3 else min(l1 + 40, 250, radius / 2)
        deflection = 12 + (i * 23) % 48  # 12 .. 59 degrees
        # The transitions alone turn the route by (l1 + l2) / 2R; leave room for a circular arc.
        deflection = max(deflection, math.degrees((l1 + l2) / (2 * radius)) + 8)
        if i % 2:
            deflection = -deflection
        straight = 120 + (i * 53) % 300
        curves.append((deflection, radius, l1, l2, straight))
    cross_route("crosspoint-long-45-curves.RP", "G1517 Long Sample", 3395000.0, 493000.0, 35.0, curves,
                first_leg=400.0, last_leg=500.0, start_station=100000.0,
                heights=[12.3, 15.8, 21.4, 18.9, 25.0, 30.2])


def main():
    element_route("element-jinggangao.RE", "京港澳高速示例", 12345.678, 3401234.567, 498765.432, 28.5,
                  [("S", 420.0), ("C", 800.0, 150.0, 380.25, 150.0), ("S", 650.0),
                   ("C", -1500.0, 200.0, 520.0, 200.0), ("S", 800.0),
                   ("C", 3000.0, 250.0, 600.0, 250.0), ("S", 500.0)], true_bearings=False)
    element_route("element-ring-road.RE", "S20 Ring Road Sample", 0.0, 3398500.0, 502300.0, 112.0,
                  [("S", 300.0), ("C", 300.0, 120.0, 210.5, 120.0), ("S", 260.0),
                   ("C", -600.0, 100.0, 340.0, 150.0), ("S", 410.0),
                   ("C", 1200.0, 0.0, 480.0, 0.0), ("S", 350.0)], true_bearings=True)
    element_route("element-ramp.RE", "Interchange Ramp A", 5000.0, 3400420.0, 499610.0, 301.25,
                  [("S", 150.0), ("C", -350.0, 80.0, 260.0, 90.0), ("S", 120.0),
                   ("C", 500.0, 100.0, 180.0, 100.0), ("S", 200.0),
                   ("C", -2000.0, 60.0, 310.0, 60.0), ("S", 180.0)], true_bearings=False)

    cross_route("crosspoint-hukun.RP", "沪昆高速示例", 3402000.0, 497500.0, 62.0,
                [(34.0, 1200.0, 200.0, 200.0, 0), (-48.0, 800.0, 160.0, 160.0, 420.0),
                 (22.0, 3000.0, 250.0, 250.0, 610.0), (-71.0, 600.0, 150.0, 180.0, 350.0),
                 (40.0, 2000.0, 220.0, 220.0, 500.0)],
                first_leg=650.0, last_leg=700.0, start_station=12345.678, heights=[5.2, 8.7, 11.1, 9.4])
    cross_route("crosspoint-outer-ring.RP", "S20 Outer Ring Sample", 3398000.0, 501200.0, 180.0,
                [(-25.0, 2500.0, 180.0, 180.0, 0), (55.0, 1000.0, 200.0, 160.0, 300.0),
                 (-38.0, 1500.0, 0.0, 0.0, 450.0), (30.0, 3000.0, 0.0, 0.0, 500.0)],
                first_leg=500.0, last_leg=600.0, start_station=0.0, heights=[0.0])
    cross_route("crosspoint-mountain.RP", "G56 Mountain Section Sample", 3403500.0, 504200.0, 205.0,
                [(62.0, 300.0, 120.0, 150.0, 0), (-85.0, 350.0, 150.0, 120.0, 180.0),
                 (48.0, 450.0, 100.0, 100.0, 220.0), (-95.0, 400.0, 130.0, 160.0, 160.0),
                 (36.0, 700.0, 90.0, 60.0, 260.0), (-28.0, 3000.0, 0.0, 0.0, 300.0)],
                first_leg=350.0, last_leg=400.0, start_station=23456.789,
                heights=[820.5, 845.0, 871.2, 902.8, 930.4, 955.0, 981.7, 1003.2])
    long_route()


if __name__ == "__main__":
    main()
