#!/usr/bin/python3
"""Writes DXF drawings with a real DXF writer (ezdxf) for the DXF reader tests.

  make_dxf.py OUTDIR                 r12.dxf, r2000.dxf and their .expect files
  make_dxf.py --bench N OUTFILE      a drawing of LINE chains with N vertices

The drawings show the survey of a small weir site in Swiss co-ordinates, with
every entity the reader takes on several layers:

  POINTS     POINT (with heights) and INSERT of the block MARK
  LINES      LINE chains: lines that touch, one that starts 0.01 m from the
             last end (touching within the reader's tolerance), a gap, and one
             that starts 0.05 m away (not touching)
  POLYLINES  POLYLINE with VERTEX and SEQEND: 2D open and closed (flag 70
             bit 1), 3D open and closed
  ARCS       CIRCLE, ARC from 0 to 90 degrees and one across 0 degrees
  FACES      3DFACE triangle and quadrilateral
  OTHER      entities the reader does not take: TEXT and SOLID, in R2000
             also ELLIPSE and SPLINE
  0          the contents of block MARK (a POINT and a CIRCLE)

r2000.dxf (AC1015) adds what R12 cannot hold: LWPOLYLINE open, closed and
with an elevation (OUTLINES), HATCH with a polyline boundary path, one with a
seed point as AutoCAD writes it and one without (HATCHES), and MTEXT (NOTES).
The layer EMPTY is defined in the layer table but holds nothing.

Next to each drawing NAME.dxf the script writes NAME.expect, what ezdxf reads
back from the written file, one fact per line, blank-separated:

  layer N NAME                         the N-th distinct group-8 value in the order
                                       of first appearance anywhere in the file;
                                       NAME is the rest of the line and can be
                                       empty (R2000 MATERIAL objects carry an
                                       empty group 8)
  unknown NAME COUNT                   group-0 names in the whole file that are
                                       not among the entities the reader takes,
                                       with their counts, in order of first use
  entity SEQ WHERE LAYER TYPE NV       one graphic entity, in file order; WHERE is
                                       "model" or "block:NAME"; NV "v" lines follow
  closed 0|1, radius R, angles START END (degrees)
                                       attributes of the entity, where it has them
  v X Y Z                              the entity's vertices as ezdxf gives them:
                                       POINT location, INSERT and MTEXT and TEXT
                                       insertion point, LINE start and end,
                                       POLYLINE/LWPOLYLINE vertices (LWPOLYLINE z =
                                       its elevation), HATCH boundary path vertices
                                       (z = the hatch elevation), CIRCLE/ARC/ELLIPSE
                                       centre, 3DFACE/SOLID four corners, SPLINE
                                       control points

Needs ezdxf (Debian: python3-ezdxf, written against 0.18).
"""

import argparse
import collections
import math
import os
import random
import sys

import ezdxf

# The reader's entity list; every other group-0 name is unknown to it.
READER_ENTITIES = {"EOF", "POINT", "INSERT", "LINE", "VERTEX", "SEQEND", "LWPOLYLINE",
                   "HATCH", "POLYLINE", "CIRCLE", "ARC", "3DFACE", "MTEXT"}

X0, Y0 = 2601400.0, 1199600.0     # site origin; local offsets are multiples of 1/8 m


def at(dx, dy, z=0.0):
    return (X0 + dx, Y0 + dy, z)


def add_layers(doc, names):
    colours = {"POINTS": 1, "LINES": 2, "POLYLINES": 3, "ARCS": 4, "FACES": 5, "OTHER": 6,
               "OUTLINES": 30, "HATCHES": 140, "NOTES": 7, "EMPTY": 8}
    for name in names:
        doc.layers.add(name, color=colours[name])


def build(version):
    """A drawing of the weir site in the given DXF version ("R12" or "R2000")."""
    doc = ezdxf.new(version)
    later = version != "R12"
    add_layers(doc, ["POINTS", "LINES", "POLYLINES", "ARCS", "FACES", "OTHER", "EMPTY"]
               + (["OUTLINES", "HATCHES", "NOTES"] if later else []))
    mark = doc.blocks.new(name="MARK")
    mark.add_point((0.0, 0.0, 0.0), dxfattribs={"layer": "0"})
    mark.add_circle((0.0, 0.0), 0.5, dxfattribs={"layer": "0"})
    msp = doc.modelspace()

    def on(layer):
        return {"layer": layer}

    # survey points and markers
    msp.add_point(at(12.5, 40.25, 421.375), dxfattribs=on("POINTS"))
    msp.add_point(at(18.75, 44.0, 421.5), dxfattribs=on("POINTS"))
    msp.add_point(at(25.0, 47.125, 420.875), dxfattribs=on("POINTS"))
    msp.add_blockref("MARK", at(5.0, 5.0, 422.0), dxfattribs=on("POINTS"))
    msp.add_blockref("MARK", at(95.0, 60.0, 423.25), dxfattribs=on("POINTS"))

    # breaklines drawn as single LINEs
    chain = [at(0.0, 20.0, 420.5), at(10.0, 21.0, 420.25), at(20.0, 23.5, 420.0),
             at(30.0, 27.0, 419.75)]
    for a, b in zip(chain, chain[1:]):
        msp.add_line(a, b, dxfattribs=on("LINES"))
    msp.add_line(at(30.0, 27.01, 419.75), at(40.0, 31.5, 419.5), dxfattribs=on("LINES"))
    msp.add_line(at(0.0, 70.0, 424.0), at(15.0, 72.5, 424.25), dxfattribs=on("LINES"))
    msp.add_line(at(15.05, 72.5, 424.25), at(30.0, 75.0, 424.5), dxfattribs=on("LINES"))

    # polylines: the weir crest (open), a pier (closed), a bank line in 3D (open),
    # a gauge platform in 3D (closed)
    msp.add_polyline2d([at(50.0, 10.0)[:2], at(52.5, 20.0)[:2], at(55.0, 30.0)[:2],
                        at(57.5, 40.0)[:2]], dxfattribs=on("POLYLINES"))
    msp.add_polyline2d([at(60.0, 20.0)[:2], at(64.0, 20.0)[:2], at(64.0, 24.0)[:2],
                        at(60.0, 24.0)[:2]], close=True, dxfattribs=on("POLYLINES"))
    msp.add_polyline3d([at(0.0, 0.0, 423.0), at(20.0, 2.5, 422.75), at(40.0, 6.0, 422.5),
                        at(60.0, 8.5, 422.25), at(80.0, 9.0, 422.0)],
                       dxfattribs=on("POLYLINES"))
    msp.add_polyline3d([at(70.0, 40.0, 424.5), at(76.0, 40.0, 424.5),
                        at(73.0, 45.0, 424.75)], close=True, dxfattribs=on("POLYLINES"))

    # a manhole, the curve of the approach and a curve across 0 degrees
    msp.add_circle(at(85.0, 15.0, 421.0), 5.0, dxfattribs=on("ARCS"))
    msp.add_arc(at(40.0, 50.0, 420.0), 10.0, 0.0, 90.0, dxfattribs=on("ARCS"))
    msp.add_arc(at(60.0, 60.0, 0.0), 4.0, 270.0, 45.0, dxfattribs=on("ARCS"))

    # faces of the weir body
    msp.add_3dface([at(50.0, 50.0, 418.0), at(56.0, 50.0, 418.5), at(53.0, 56.0, 419.0),
                    at(53.0, 56.0, 419.0)], dxfattribs=on("FACES"))
    msp.add_3dface([at(56.0, 50.0, 418.5), at(62.0, 50.0, 418.25), at(62.0, 56.0, 419.0),
                    at(56.0, 56.0, 419.25)], dxfattribs=on("FACES"))

    # things the reader passes over
    msp.add_text("Wehr Ruetiwis", dxfattribs={"layer": "OTHER", "insert": at(45.0, 62.0),
                                              "height": 2.5})
    msp.add_solid([at(90.0, 30.0), at(95.0, 30.0), at(90.0, 35.0), at(95.0, 35.0)],
                  dxfattribs=on("OTHER"))

    if later:
        msp.add_lwpolyline([at(0.0, 90.0)[:2], at(25.0, 92.5)[:2], at(50.0, 91.0)[:2],
                            at(75.0, 94.0)[:2], at(100.0, 96.5)[:2]],
                           dxfattribs=on("OUTLINES"))
        msp.add_lwpolyline([at(10.0, 100.0)[:2], at(30.0, 100.0)[:2], at(30.0, 115.0)[:2],
                            at(10.0, 115.0)[:2]], close=True, dxfattribs=on("OUTLINES"))
        msp.add_lwpolyline([at(40.0, 100.0)[:2], at(55.0, 104.0)[:2], at(70.0, 100.0)[:2]],
                           dxfattribs={"layer": "OUTLINES", "elevation": 425.5})
        roof = msp.add_hatch(color=140, dxfattribs=on("HATCHES"))
        roof.paths.add_polyline_path([at(10.0, 100.0)[:2], at(30.0, 100.0)[:2],
                                      at(30.0, 115.0)[:2], at(10.0, 115.0)[:2]],
                                     is_closed=True)
        roof.set_seed_points([at(20.0, 107.5)[:2]])
        pond = msp.add_hatch(color=150, dxfattribs=on("HATCHES"))
        pond.paths.add_polyline_path([at(80.0, 100.0)[:2], at(92.0, 98.0)[:2],
                                      at(100.0, 106.0)[:2], at(94.0, 114.0)[:2],
                                      at(82.0, 112.0)[:2]], is_closed=True)
        msp.add_mtext("Pegel\\PRuetiwis", dxfattribs={"layer": "NOTES",
                                                      "insert": at(70.0, 48.0, 424.5),
                                                      "char_height": 1.5})
        msp.add_ellipse(at(20.0, 60.0), major_axis=(8.0, 2.0, 0.0), ratio=0.5,
                        dxfattribs=on("OTHER"))
        msp.add_open_spline([at(0.0, 120.0), at(20.0, 126.0), at(40.0, 118.0),
                             at(60.0, 124.0)], degree=3, dxfattribs=on("OTHER"))
    return doc


# ---- reading the written file ------------------------------------------------

def raw_records(path):
    """The group-0 names and their handles (group 5) of an ASCII DXF file in
    file order, and its distinct group-8 values in order of first use."""
    with open(path, encoding="cp1252") as f:
        lines = f.read().splitlines()
    names, handles, layers = [], [], []
    for i in range(0, len(lines) - 1, 2):
        code, value = int(lines[i]), lines[i + 1].strip()
        if code == 0:
            names.append(value)
            handles.append(None)
        elif code == 5 and names:
            handles[-1] = value
        elif code == 8 and names and value not in layers:
            layers.append(value)
    return names, handles, layers


def vertices(e):
    """What ezdxf says the entity's vertices are (see the module text)."""
    kind = e.dxftype()
    if kind == "POINT":
        return [e.dxf.location]
    if kind in ("INSERT", "MTEXT", "TEXT"):
        return [e.dxf.insert]
    if kind == "LINE":
        return [e.dxf.start, e.dxf.end]
    if kind == "POLYLINE":
        return list(e.points())
    if kind == "LWPOLYLINE":
        return [(x, y, e.dxf.elevation) for x, y in e.get_points("xy")]
    if kind == "HATCH":
        z = e.dxf.elevation.z
        return [(v[0], v[1], z) for path in e.paths for v in path.vertices]
    if kind in ("CIRCLE", "ARC", "ELLIPSE"):
        return [e.dxf.center]
    if kind in ("3DFACE", "SOLID"):
        return [e.dxf.get(f"vtx{i}") for i in range(4)]
    if kind == "SPLINE":
        return list(e.control_points)
    return []


def attributes(e):
    kind = e.dxftype()
    facts = []
    if kind in ("POLYLINE", "LWPOLYLINE"):
        facts.append(f"closed {int(e.is_closed)}")
    if kind == "HATCH":
        facts.append(f"closed {int(all(p.is_closed for p in e.paths))}")
    if kind in ("CIRCLE", "ARC"):
        facts.append(f"radius {num(e.dxf.radius)}")
    if kind == "ARC":
        facts.append(f"angles {num(e.dxf.start_angle)} {num(e.dxf.end_angle)}")
    return facts


def num(v):
    return repr(float(v))


def xyz(p):
    return " ".join(num(c) for c in (tuple(p) + (0.0, 0.0, 0.0))[:3])


def describe(path):
    """The expectation lines for a written drawing."""
    doc = ezdxf.readfile(path)
    names, handles, layers = raw_records(path)
    unknown = collections.Counter(name for name in names if name not in READER_ENTITIES)

    # graphic entities in file order: block contents (BLOCKS comes first), then
    # model space; paper space holds nothing here
    listed = []
    for block in doc.blocks:
        if not block.name.lower().startswith(("*model_space", "*paper_space", "$model_space",
                                              "$paper_space")):
            listed += [(f"block:{block.name}", e) for e in block]
    listed += [("model", e) for e in doc.modelspace()]
    positions = [handles.index(e.dxf.handle) for _, e in listed]
    if positions != sorted(positions):
        raise RuntimeError(f"{path}: ezdxf lists the entities out of file order")

    out = [f"# What ezdxf {ezdxf.__version__} reads back from {os.path.basename(path)}"
           " (tests/data/make_dxf.py)."]
    out += [f"layer {i} {name}" for i, name in enumerate(layers, start=1)]
    out += [f"unknown {name} {count}" for name, count in unknown.items()]
    for seq, (where, e) in enumerate(listed, start=1):
        verts = vertices(e)
        out.append(f"entity {seq} {where} {e.dxf.layer} {e.dxftype()} {len(verts)}")
        out += attributes(e)
        out += [f"v {xyz(p)}" for p in verts]
    return out


def write_drawings(outdir):
    os.makedirs(outdir, exist_ok=True)
    for name, version in (("r12", "R12"), ("r2000", "R2000")):
        path = os.path.join(outdir, name + ".dxf")
        build(version).saveas(path)
        with open(os.path.join(outdir, name + ".expect"), "w") as f:
            f.write("\n".join(describe(path)) + "\n")


def write_bench(path, count):
    """About count vertices as LINE entities in chains of up to ten touching lines (R12).

    A chain of n lines gives n + 1 vertices; the last chain is cut short so
    that the total is count (count + 1 when only one vertex would be left).
    """
    from ezdxf.addons import r12writer

    rng = random.Random(7)
    written = 0
    with r12writer(path) as dxf:
        while written < count:
            x, y, z = X0 + rng.uniform(0, 3000), Y0 + rng.uniform(0, 1500), 420.0
            n = max(1, min(10, count - written - 1))
            written += 1
            for _ in range(n):
                heading = rng.uniform(0.0, 2 * math.pi)
                nx, ny = x + 5.0 * math.cos(heading), y + 5.0 * math.sin(heading)
                nz = z + rng.uniform(-0.2, 0.2)
                dxf.add_line((x, y, z), (nx, ny, nz), layer="BREAKLINES")
                x, y, z = nx, ny, nz
                written += 1


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("out", help="output directory, or with --bench the output file")
    parser.add_argument("--bench", type=int, metavar="N",
                        help="write a drawing of LINE chains holding N vertices")
    args = parser.parse_args()
    if args.bench is not None:
        write_bench(args.out, args.bench)
    else:
        write_drawings(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
