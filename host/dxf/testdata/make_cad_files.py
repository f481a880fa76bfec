#!/usr/bin/python3
"""Writes DXF files the way CAD programs write them, one quirk each, into the folder named on
the command line. Every file holds the same part unless its name says otherwise: a bar 80 long
of radius 25 (millimetres) and an outside groove 10 wide and 8 deep with bottom corners of
radius 1, so that every file that reads must read to the same drawing."""
import os
import sys

import ezdxf

OUT = sys.argv[1]
BLANK = [(0, 0), (80, 0), (80, 25), (0, 25)]
# (x, y, bulge): the groove from (30, 28) down, along the bottom and up to (40, 28).
Q = 0.41421356237309503  # tan(22.5 degrees): a quarter turn counterclockwise
WORK = [(30, 28, 0), (30, 21, Q), (31, 20, 0), (39, 20, Q), (40, 21, 0), (40, 28, 0)]


def new(version="R2010", units=4):
    """A new drawing and its model space."""
    doc = ezdxf.new(version)
    doc.header["$INSUNITS"] = units
    return doc, doc.modelspace()


def scaled(points, k, dx=0.0, dy=0.0):
    return [(x * k + dx, y * k + dy) + tuple(p[2:]) for p, (x, y) in
            ((p, p[:2]) for p in points)]


def part(space, k=1.0, blank_layer="Blank", work_layer="WorkContour", r12=False):
    if r12:
        space.add_polyline2d(scaled(BLANK, k), close=True, dxfattribs={"layer": blank_layer})
        pl = space.add_polyline2d([], dxfattribs={"layer": work_layer})
        pl.append_vertices([(x, y) for x, y, _ in scaled(WORK, k)])
        for v, (_, _, b) in zip(pl.vertices, WORK):
            v.dxf.bulge = b
    else:
        space.add_lwpolyline(scaled(BLANK, k), close=True, dxfattribs={"layer": blank_layer})
        space.add_lwpolyline(scaled(WORK, k), format="xyb", dxfattribs={"layer": work_layer})


def save(doc, name, fmt="asc"):
    doc.saveas(os.path.join(OUT, name), fmt=fmt)


def with_text(name, edit):
    path = os.path.join(OUT, name)
    with open(path, encoding="utf8") as f:
        text = f.read()
    with open(path, "w", encoding="utf8") as f:
        f.write(edit(text))


# Every version ezdxf writes, as text and as binary.
for version in ["R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"]:
    doc, msp = new(version)
    part(msp, r12=version == "R12")
    save(doc, f"ezdxf_{version}.dxf")
    save(doc, f"ezdxf_{version}_binary.dxf", fmt="bin")

# LibreCAD, QCAD, dxflib: a 999 comment before the first section, and between entities.
doc, msp = new("R2000")
part(msp)
save(doc, "comment_999.dxf")
with_text("comment_999.dxf", lambda t: "999\ndxflib 3.26.4.0\n" +
          t.replace("  0\nENDSEC\n", "999\na comment\n  0\nENDSEC\n", 1))

# AutoCAD R2013: a thumbnail picture and an ACDSDATA section, which hold no entity.
doc, msp = new("R2013")
part(msp)
save(doc, "autocad_thumbnail.dxf")
with_text("autocad_thumbnail.dxf", lambda t: t.replace(
    "  0\nSECTION\n  2\nCLASSES\n",
    "  0\nSECTION\n  2\nTHUMBNAILIMAGE\n 90\n4\n310\n424D0000\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nACDSDATA\n 70\n2\n 71\n6\n  0\nACDSSCHEMA\n 90\n0\n  1\nAcDb3DSolid_ASM_Data\n"
    "  0\nENDSEC\n  0\nSECTION\n  2\nCLASSES\n", 1))

# Layer names in other cases than the reader's.
doc, msp = new()
part(msp, blank_layer="BLANK", work_layer="WORKCONTOUR")
save(doc, "layers_upper_case.dxf")

# The groove drawn in a block, inserted moved, rotated a quarter turn and scaled by 2: the
# block holds it turned back and halved, around a base point of its own.
doc, msp = new()
msp.add_lwpolyline(BLANK, close=True, dxfattribs={"layer": "Blank"})
block = doc.blocks.new("GROOVE", base_point=(5, 5))
# world (x, y) = (100 + 2 (-(by - 5)), -50 + 2 (bx - 5)) inverted: bx = (y + 50) / 2 + 5,
# by = 5 - (x - 100) / 2.
inner = [((y + 50) / 2 + 5, 5 - (x - 100) / 2, b) for x, y, b in WORK]
block.add_lwpolyline(inner, format="xyb", dxfattribs={"layer": "WorkContour"})
msp.add_blockref("GROOVE", (100, -50), dxfattribs={"xscale": 2, "yscale": 2, "rotation": 90})
save(doc, "insert_transformed.dxf")

# Nested: block OUTER holds the blank and an INSERT of block INNER (the groove), on layer "0"
# inside, so the entities take the layers of the INSERTs.
doc, msp = new()
inner = doc.blocks.new("INNER")
inner.add_lwpolyline([(x - 30, y, b) for x, y, b in WORK], format="xyb")
outer = doc.blocks.new("OUTER")
outer.add_lwpolyline(BLANK, close=True, dxfattribs={"layer": "Blank"})
outer.add_blockref("INNER", (30, 0), dxfattribs={"layer": "WorkContour"})
msp.add_blockref("OUTER", (0, 0))
save(doc, "insert_nested.dxf")

# A mirrored view: the groove's corner arcs with extrusion (0, 0, -1), their centres and
# angles in that object coordinate system (x to the left).
doc, msp = new()
msp.add_lwpolyline(BLANK, close=True, dxfattribs={"layer": "Blank"})
for a, b in [((30, 28), (30, 21)), ((31, 20), (39, 20)), ((40, 21), (40, 28))]:
    msp.add_line(a, b, dxfattribs={"layer": "WorkContour"})
for (cx, cy), s, e in [((31, 21), 180, 270), ((39, 21), 270, 360)]:
    msp.add_arc((-cx, cy), 1, 180 - e, 180 - s,
                dxfattribs={"layer": "WorkContour", "extrusion": (0, 0, -1)})
save(doc, "ocs_mirrored_arcs.dxf")

# Units: centimetres and metres read as millimetres, feet as inches.
for name, units, k in [("units_cm.dxf", 5, 0.1), ("units_m.dxf", 6, 0.001),
                       ("units_ft.dxf", 2, 1 / 12), ("units_in.dxf", 1, 1.0),
                       ("units_miles.dxf", 3, 1.0), ("units_none.dxf", 0, 1.0)]:
    doc, msp = new(units=units)
    part(msp, k=k)
    save(doc, name)

# A real drawing: a centre line, dimensions, text, a hatch and a sketch circle on layers of
# their own beside the part.
doc, msp = new()
part(msp)
msp.add_line((-5, 0), (85, 0), dxfattribs={"layer": "Center"})
msp.add_circle((200, 200), 10, dxfattribs={"layer": "Sketch"})
msp.add_text("GROOVE 10 x 8", dxfattribs={"layer": "Text"}).set_placement((30, 40))
dim = msp.add_linear_dim(base=(30, 35), p1=(30, 28), p2=(40, 28), dxfattribs={"layer": "Dims"})
dim.render()
hatch = msp.add_hatch(dxfattribs={"layer": "Hatch"})
hatch.paths.add_polyline_path([(0, 0), (10, 0), (10, 10)], is_closed=True)
save(doc, "with_annotations.dxf")

# Two closed outlines reach the groove: the blank must be named.
doc, msp = new()
part(msp)
msp.add_lwpolyline([(20, 15), (50, 15), (50, 30), (20, 30)], close=True,
                   dxfattribs={"layer": "Fixture"})
save(doc, "two_outlines.dxf")

# Curves the outline cannot hold.
doc, msp = new()
msp.add_lwpolyline(BLANK, close=True, dxfattribs={"layer": "Blank"})
msp.add_spline([(30, 28), (30, 20), (40, 20), (40, 28)], dxfattribs={"layer": "WorkContour"})
save(doc, "spline_work_contour.dxf")
doc, msp = new()
part(msp)
msp.add_ellipse((40, 0), major_axis=(40, 0), ratio=0.5, dxfattribs={"layer": "Blank"})
save(doc, "ellipse_in_blank.dxf")
