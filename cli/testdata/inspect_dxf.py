#!/usr/bin/python3
"""Prints what the end-to-end tests check of a DXF file, read by ezdxf (independent of our own
reader), one fact a line:
    units N
    group NAME TYPE:COUNT ...           entities of each DXF group, by type, in file order of types
    entity GROUP TYPE layer=L aci=N rgb=R,G,B
    hatch pattern=P scale=S layer=L aci=N
    outline LAYER closed=B area=A       every closed polyline outside the groups
"""
import sys

import ezdxf
import ezdxf.path


def area(points):
    s = 0.0
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        s += x0 * y1 - x1 * y0
    return abs(s) / 2.0


def polyline_points(e):
    # Flattened: arcs of bulged vertices become short chords, close enough for areas.
    points = [(v.x, v.y) for v in ezdxf.path.make_path(e).flattening(0.0001)]
    if len(points) > 1 and points[0] == points[-1]:
        points.pop()
    return points


def main(path):
    doc = ezdxf.readfile(path)
    print("units", doc.header.get("$INSUNITS", 0))
    grouped = set()
    for name, group in doc.groups:
        counts = {}
        for e in group:
            grouped.add(e.dxf.handle)
            counts[e.dxftype()] = counts.get(e.dxftype(), 0) + 1
            rgb = e.rgb if e.dxf.hasattr("true_color") else None
            rgb_text = ",".join(str(c) for c in rgb) if rgb else "none"
            print("entity", name, e.dxftype(), "layer=" + e.dxf.layer, "aci=%d" % e.dxf.color,
                  "rgb=" + rgb_text)
            if e.dxftype() == "HATCH":
                print("hatch", "pattern=" + e.dxf.pattern_name,
                      "scale=%g" % e.dxf.pattern_scale, "layer=" + e.dxf.layer,
                      "aci=%d" % e.dxf.color)
        print("group", name, " ".join("%s:%d" % kv for kv in sorted(counts.items())))
    for e in doc.modelspace():
        if e.dxf.handle in grouped or e.dxftype() not in ("LWPOLYLINE", "POLYLINE"):
            continue
        if e.closed:
            print("outline", e.dxf.layer, "closed=1", "area=%.4f" % area(polyline_points(e)))


if __name__ == "__main__":
    main(sys.argv[1])
