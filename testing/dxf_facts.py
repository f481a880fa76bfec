#!/usr/bin/python3
"""Prints what the tests check of a DXF file as ezdxf reads it, independently of our reader:
    version V units N
    group NAME | TYPE LAYER ACI RGB, ...                     the members, sorted
    hatch PATTERN scale S lines N paths N angle A dashes D ... layer L aci N
    lwpolyline LAYER POINTS closed|open arcs N area A        area 0 for an open one
    layer NAME aci N entities N bylayer True|False           every layer that holds entities
"""
import sys

import ezdxf
import ezdxf.path

doc = ezdxf.readfile(sys.argv[1])
msp = doc.modelspace()
print("version", doc.dxfversion, "units", doc.header.get("$INSUNITS", 0))
for name, group in doc.groups:
    print("group", name, "|", ", ".join(sorted("%s %s %d %s" % (e.dxftype(), e.dxf.layer, e.dxf.color, e.rgb)
                                               for e in group)))
for e in msp.query("HATCH"):
    p = e.pattern.lines[0]
    print("hatch %s scale %g lines %d paths %d angle %g dashes %s layer %s aci %d" % (
        e.dxf.pattern_name, e.dxf.pattern_scale, len(e.pattern.lines), len(e.paths), p.angle,
        " ".join("%g" % d for d in p.dash_length_items), e.dxf.layer, e.dxf.color))
for e in msp.query("LWPOLYLINE"):
    area = 0.0
    if e.closed:  # arcs flattened to chords of 1e-4 sagitta, close enough for areas
        v = [(p.x, p.y) for p in ezdxf.path.make_path(e).flattening(0.0001)]
        area = abs(sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(v, v[1:] + v[:1]))) / 2
    print("lwpolyline %s %d %s arcs %d area %.4f" % (e.dxf.layer, len(e), "closed" if e.closed else "open",
                                                     sum(1 for p in e.get_points() if p[4] != 0), area))
for layer in sorted(doc.layers, key=lambda l: l.dxf.name):
    held = [e for e in msp if e.dxf.layer == layer.dxf.name]
    if held:
        print("layer %s aci %d entities %d bylayer %s" % (layer.dxf.name, layer.dxf.color, len(held),
                                                          all(e.dxf.color == 256 for e in held)))
