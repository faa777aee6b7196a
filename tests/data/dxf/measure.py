#!/usr/bin/python3
# The site areas and perimeters the import test compares with, worked out
# once by an independent reader: ezdxf reads the drawings, shapely builds
# the faces their lines enclose. Run with the system Python:
#   /usr/bin/python3 tests/data/dxf/measure.py
# The site is the face whose bounds are largest (its holes taken out); the
# perimeter is the length of every line, arc, circle and polyline on the
# layers, block references taken apart into the entities they place (rows
# and columns of a multiple insert too).
import math
import sys
from pathlib import Path

import ezdxf
from ezdxf import recover
from shapely.geometry import LineString
from shapely.ops import polygonize, unary_union

FOLDER = Path(__file__).parent

# file, layers (None: all), millimetres per drawing unit
CASES = [
    ("blk1.dxf", None, 1000.0),
    ("alg1.dxf", None, 1000.0),
    ("block10.dxf", None, 1000.0),
    ("arrayed-holes.dxf", None, 1000.0),
    ("cc_dxflib.dxf", None, 1000.0),
    ("HFP1JZ.dxf", None, 1000.0),
]
KINDS = {"LINE", "ARC", "CIRCLE", "LWPOLYLINE", "POLYLINE", "ELLIPSE", "SPLINE"}


def placed(entity):
    # Entities of a block on layer 0 go onto the layer of the reference.
    if entity.dxftype() != "INSERT":
        yield entity
        return
    for one in entity.multi_insert() if entity.mcount > 1 else [entity]:
        for e in one.virtual_entities():
            if e.dxf.layer == "0":
                e.dxf.layer = one.dxf.layer
            yield from placed(e)


def measure(name, layers, scale):
    # The recovering reader takes the old drawings whose coordinates are
    # written out of order.
    doc, _ = recover.readfile(FOLDER / name)
    # LibreCAD writes references with a z scale of 0, which leaves a plane
    # drawing as it is but which ezdxf cannot transform by.
    for layout in [doc.modelspace(), *doc.blocks]:
        for ref in layout.query("INSERT"):
            if ref.dxf.zscale == 0:
                ref.dxf.zscale = 1
    lines = []
    length = 0.0
    for e in (p for top in doc.modelspace() for p in placed(top)):
        if e.dxftype() not in KINDS or (layers is not None and e.dxf.layer not in layers):
            continue
        # Polylines as their lines and arcs, and arcs as points on the
        # circle itself: ezdxf's paths would stand Bezier curves in for arcs.
        parts = list(e.virtual_entities()) if e.dxftype() in ("LWPOLYLINE", "POLYLINE") else [e]
        for part in parts:
            if part.dxftype() == "LINE":
                vertices = [part.dxf.start, part.dxf.end]
            else:
                vertices = list(part.flattening(1e-4 / scale))
            # Ends rounded to a thousandth of a millimetre, so that pieces
            # meet where the drawing joins them.
            points = [(round(v.x * scale, 3), round(v.y * scale, 3)) for v in vertices]
            if len(points) < 2:
                continue
            line = LineString(points)
            if line.length == 0:
                continue
            length += line.length
            lines.append(line)
    faces = list(polygonize(unary_union(lines)))
    site = max(faces, key=lambda f: (f.bounds[2] - f.bounds[0]) * (f.bounds[3] - f.bounds[1]))
    return site.area / 1e6, length / 1e3


for name, layers, scale in CASES:
    area, perimeter = measure(name, layers, scale)
    print(f"{name}: area {area:.6f} m2, perimeter {perimeter:.6f} m")
    sys.stdout.flush()
