#!/usr/bin/python3
"""Writes what ogrinfo (GDAL) reports about shapefiles, for the reader tests.

  shapefile_expectations.py FILE.shp... > expected.txt

Each fact is one line "NAME KEY VALUE...", NAME being the file name without
".shp".  The keys, in this order:

  shptype      the shape type code in the .shp header (5 Polygon, 13 ArcZ, ...)
  shptypename  shapelib's name for that code (what SHPTypeName returns)
  geometry     ogrinfo's layer geometry ("Polygon", "3D Line String",
               "Measured Line String", "Point", ...)
  shapes       number of features
  parts        total number of parts (rings of polygons, lines of line
               files; 0 for point files, as shapelib counts them)
  vertices     total number of vertices, closing vertices of rings included
  edges        edges a reader gets when every part becomes one chain:
               vertices - parts for line and polygon files, 0 for points
  first        x y z of the first vertex of the first feature (z 0 without Z),
               exact doubles from the records (ogrinfo rounds to 15 digits)
  extent       xmin ymin xmax ymax as ogrinfo prints it

The counts come from parsing the WKT that "ogrinfo -al" prints for every
feature; the script also walks the .shp records itself and reports any
disagreement on standard error, so a surprise in either shows up.
"""

import os
import re
import struct
import subprocess
import sys

SHAPE_TYPE_NAMES = {
    0: "NullShape", 1: "Point", 3: "Arc", 5: "Polygon", 8: "MultiPoint",
    11: "PointZ", 13: "ArcZ", 15: "PolygonZ", 18: "MultiPointZ",
    21: "PointM", 23: "ArcM", 25: "PolygonM", 28: "MultiPointM", 31: "MultiPatch",
}
POINT_TYPES = {1, 11, 21}
MULTIPOINT_TYPES = {8, 18, 28}

WKT_TAG = re.compile(r"^\s+(POINT|LINESTRING|POLYGON|MULTIPOINT|MULTILINESTRING|"
                     r"MULTIPOLYGON|GEOMETRYCOLLECTION)( ZM| Z| M)? ")
INNERMOST = re.compile(r"\(([^()]*)\)")


def ogrinfo(*args):
    return subprocess.run(["ogrinfo", "-ro", *args], check=True, capture_output=True,
                          text=True).stdout


def summary(path):
    """Layer geometry, feature count and extent from 'ogrinfo -al -so'."""
    facts = {}
    for line in ogrinfo("-al", "-so", path).splitlines():
        key, sep, value = line.partition(": ")
        if sep and key in ("Geometry", "Feature Count", "Extent"):
            facts[key] = value.strip()
    ext = re.findall(r"-?[\d.]+(?:e[-+]?\d+)?", facts["Extent"])
    return facts["Geometry"], int(facts["Feature Count"]), " ".join(ext)


def features(path):
    """Counts and first vertex from the WKT of every feature of 'ogrinfo -al'."""
    shapes = parts = vertices = 0
    first = None
    for line in ogrinfo("-al", "-q", "-fields=NO", path).splitlines():
        if line.startswith("OGRFeature("):
            shapes += 1
            continue
        tag = WKT_TAG.match(line)
        if not tag:
            continue
        groups = INNERMOST.findall(line)
        if tag.group(1) in ("LINESTRING", "POLYGON", "MULTILINESTRING", "MULTIPOLYGON"):
            parts += len(groups)
        for group in groups:
            tuples = [t.split() for t in group.split(",")]
            vertices += len(tuples)
            if first is None and tuples:
                x, y = float(tuples[0][0]), float(tuples[0][1])
                z = float(tuples[0][2]) if "Z" in (tag.group(2) or "") else 0.0
                first = (x, y, z)
    return shapes, parts, vertices, first


Z_TYPES = {11, 13, 15, 18}


def first_vertex(kind, record):
    """x, y, z of the first vertex of a record as shapelib gives it (z 0 without Z)."""
    if kind in POINT_TYPES:
        x, y = struct.unpack("<dd", record[4:20])
        z = struct.unpack("<d", record[20:28])[0] if kind == 11 else 0.0
        return x, y, z
    start = 40 if kind in MULTIPOINT_TYPES else 44 + 4 * struct.unpack("<i", record[36:40])[0]
    npoints = struct.unpack("<i", record[36:40] if kind in MULTIPOINT_TYPES else record[40:44])[0]
    if npoints == 0:
        return None
    x, y = struct.unpack("<dd", record[start:start + 16])
    z = 0.0
    if kind in Z_TYPES:
        z = struct.unpack("<d", record[start + 16 * npoints + 16:start + 16 * npoints + 24])[0]
    return x, y, z


def walk_records(path):
    """Shape type, counts and first vertex straight from the .shp records."""
    with open(path, "rb") as f:
        data = f.read()
    header_type = struct.unpack("<i", data[32:36])[0]
    shapes = parts = vertices = 0
    first = None
    pos = 100
    while pos + 8 <= len(data):
        length = struct.unpack(">i", data[pos + 4:pos + 8])[0] * 2
        record = data[pos + 8:pos + 8 + length]
        pos += 8 + length
        shapes += 1
        kind = struct.unpack("<i", record[:4])[0]
        if first is None and kind != 0:
            first = first_vertex(kind, record)
        if kind in POINT_TYPES:
            vertices += 1
        elif kind in MULTIPOINT_TYPES:
            vertices += struct.unpack("<i", record[36:40])[0]
        elif kind != 0:
            nparts, npoints = struct.unpack("<ii", record[36:44])
            parts += nparts
            vertices += npoints
    return header_type, shapes, parts, vertices, first


def describe(path):
    name = os.path.basename(path)[:-4]
    geometry, count, extent = summary(path)
    shapes, parts, vertices, first = features(path)
    shptype, raw_shapes, raw_parts, raw_vertices, raw_first = walk_records(path)
    if (count, parts, vertices) != (raw_shapes, raw_parts, raw_vertices) or shapes != count:
        print(f"{name}: ogrinfo says {count} shapes ({shapes} listed), {parts} parts, "
              f"{vertices} vertices; the records hold {raw_shapes}, {raw_parts}, "
              f"{raw_vertices}", file=sys.stderr)
    if shptype in MULTIPOINT_TYPES:
        edges = vertices - shapes
    elif shptype in POINT_TYPES:
        edges = 0
    else:
        edges = vertices - parts
    if first and raw_first and any(abs(a - b) > 1e-9 * max(1.0, abs(a))
                                   for a, b in zip(first, raw_first)):
        print(f"{name}: first vertex {first} in ogrinfo, {raw_first} in the records",
              file=sys.stderr)
    x, y, z = raw_first or (0.0, 0.0, 0.0)
    facts = [
        ("shptype", shptype),
        ("shptypename", SHAPE_TYPE_NAMES.get(shptype, "UnknownShapeType")),
        ("geometry", geometry),
        ("shapes", count),
        ("parts", parts),
        ("vertices", vertices),
        ("edges", edges),
        ("first", f"{x!r} {y!r} {z!r}"),
        ("extent", extent),
    ]
    return [f"{name} {key} {value}" for key, value in facts]


def main(paths):
    if not paths:
        print(__doc__, file=sys.stderr)
        return 2
    version = subprocess.run(["ogrinfo", "--version"], check=True, capture_output=True,
                             text=True).stdout.strip()
    print(f"# Shapefile facts as ogrinfo reports them ({version}),")
    print("# written by tests/data/shapefile_expectations.py: NAME KEY VALUE per line.")
    for path in sorted(paths):
        print()
        print("\n".join(describe(path)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
