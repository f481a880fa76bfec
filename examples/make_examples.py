#!/usr/bin/python3
"""Writes the example drawings of this folder with ezdxf (Debian's python3-ezdxf).

Each drawing holds a part blank (a closed outline on a layer of its own, here "Blank") and the
finished groove profile as an open chain on layer "WorkContour", its ends outside the blank.
x runs along the lathe axis, y is the radius. Run it again after changing a shape:
    /usr/bin/python3 examples/make_examples.py
"""
import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))


def drawing(units, version="R2010"):
    doc = ezdxf.new(version)
    doc.header["$INSUNITS"] = units  # 1 inch, 4 millimetre
    doc.layers.add("Blank", color=7)
    doc.layers.add("WorkContour", color=1)
    return doc


def save(doc, name):
    doc.saveas(os.path.join(HERE, name))


def outside_groove():
    # A bar 80 long of radius 25; a groove 10 wide and 5 deep with 1 mm corner radii at the
    # bottom, between z 30 and 40.
    doc = drawing(4)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (80, 0), (80, 25), (0, 25)], close=True,
                       dxfattribs={"layer": "Blank"})
    # Bulge of a quarter arc: tan(90 deg / 4); negative turns clockwise.
    q = 0.41421356237309503
    msp.add_lwpolyline([(30, 28, 0), (30, 21, q), (31, 20, 0), (39, 20, q), (40, 21, 0),
                        (40, 28, 0)], format="xyb", dxfattribs={"layer": "WorkContour"})
    save(doc, "outside_groove.dxf")


def outside_groove_second():
    # A second groove on the same bar, 7 wide and 4 deep between z 55 and 62: the second
    # operation of the README's job.
    doc = drawing(4)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (80, 0), (80, 25), (0, 25)], close=True,
                       dxfattribs={"layer": "Blank"})
    msp.add_lwpolyline([(55, 28), (55, 21), (62, 21), (62, 28)],
                       dxfattribs={"layer": "WorkContour"})
    save(doc, "outside_groove_second.dxf")


def outside_groove_inch():
    # The inch drawing, written as R2000 with LINE entities: a bar 4 in long of radius 1, a
    # groove 0.4 wide and 0.2 deep with 0.02 x 45 degree chamfers on both edges.
    doc = drawing(1, "R2000")
    msp = doc.modelspace()
    for a, b in [((0, 0), (4, 0)), ((4, 0), (4, 1)), ((4, 1), (0, 1)), ((0, 1), (0, 0))]:
        msp.add_line(a, b, dxfattribs={"layer": "Blank"})
    pts = [(1.48, 1.1), (1.48, 1.0), (1.5, 0.98), (1.5, 0.8), (1.9, 0.8), (1.9, 0.98),
           (1.92, 1.0), (1.92, 1.1)]
    for a, b in zip(pts, pts[1:]):
        msp.add_line(a, b, dxfattribs={"layer": "WorkContour"})
    save(doc, "outside_groove_inch.dxf")


def bore_groove():
    # A tube 60 long, bore radius 10, outside radius 30; a groove 8 wide and 4 deep in the bore.
    doc = drawing(4)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 10), (60, 10), (60, 30), (0, 30)], close=True,
                       dxfattribs={"layer": "Blank"})
    msp.add_lwpolyline([(25, 7), (25, 14), (33, 14), (33, 7)], dxfattribs={"layer": "WorkContour"})
    save(doc, "bore_groove.dxf")


def face_groove():
    # A disc 50 long of radius 40; a groove 6 wide and 4 deep in its front face (z = 50).
    doc = drawing(4)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (50, 0), (50, 40), (0, 40)], close=True,
                       dxfattribs={"layer": "Blank"})
    msp.add_lwpolyline([(53, 20), (46, 20), (46, 26), (53, 26)], dxfattribs={"layer": "WorkContour"})
    save(doc, "face_groove.dxf")


def back_face_groove():
    # The same disc with the groove in its back face (z = 0), cut from behind the part.
    doc = drawing(4)
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (50, 0), (50, 40), (0, 40)], close=True,
                       dxfattribs={"layer": "Blank"})
    msp.add_lwpolyline([(-3, 20), (4, 20), (4, 26), (-3, 26)], dxfattribs={"layer": "WorkContour"})
    save(doc, "back_face_groove.dxf")


if __name__ == "__main__":
    outside_groove()
    outside_groove_second()
    outside_groove_inch()
    bore_groove()
    face_groove()
    back_face_groove()
