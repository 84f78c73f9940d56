#!/usr/bin/python3
"""Generates the example river survey kept in this directory.

The survey is a 3 km reach of a meandering river in a flat-bottomed valley,
in Swiss projected co-ordinates (LV95, metres, heights above sea level):

  river_points.xyz         scattered bed and floodplain points (x y z)
  river_banks.xyzi         bank top and toe breaklines (x y z i, i = 1 starts a line)
  river_sections.unstruct  cross-sections and a dyke crest line in the keyword format
  river_table.unstruct     rating curves of the two gauges as value tables
  river_grid.asc           an ESRI ASCII grid of the same terrain

Everything is derived from one terrain function and a fixed seed, so running
the script again gives the same files byte for byte.  It needs only the
Python standard library:

  /usr/bin/python3 examples/generate.py            # rewrite the five files
  /usr/bin/python3 examples/generate.py --out DIR  # write them elsewhere

A second mode writes a large plain XYZ file of the same terrain for
benchmarks; it uses numpy and writes fixed-width records of 30 bytes:

  /usr/bin/python3 examples/generate.py --big 10000000 --out bench/data/big.xyz
"""

import argparse
import bisect
import math
import os
import random
import sys

SEED = 20230611

# The valley frame: s runs downstream along the valley axis from its upstream
# end, n is the distance to the left of the axis (looking downstream).
AXIS_X0 = 2600240.0
AXIS_Y0 = 1199480.0
AXIS_ANGLE = math.radians(10.0)
VALLEY_LENGTH = 3000.0
SURVEY_HALF_WIDTH = 600.0          # the survey reaches this far from the axis

# Channel cross-section: bed between the toes at +-TOE_OFFSET from the
# centre line, banks rising at BANK_SLOPE above the toes until they meet
# the floodplain.
TOE_OFFSET = 10.0
BANK_SLOPE = 0.55
CHANNEL_REACH = 40.0               # the channel shapes the ground this far out

GRID_NCOLS, GRID_NROWS, GRID_CELL = 200, 110, 16.0
GRID_XLL, GRID_YLL = 2600120.0, 1198860.0
NODATA = -9999

COS_A, SIN_A = math.cos(AXIS_ANGLE), math.sin(AXIS_ANGLE)


class ScalarMath:
    """The handful of numpy functions the terrain needs, for plain floats."""
    sin, cos, exp, sqrt, log1p = math.sin, math.cos, math.exp, math.sqrt, math.log1p
    abs, minimum, maximum = abs, min, max

    @staticmethod
    def logical_and(a, b):
        return a and b

    @staticmethod
    def where(cond, a, b):
        return a if cond else b

    @staticmethod
    def clip(v, lo, hi):
        return lo if v < lo else hi if v > hi else v


def to_valley(x, y):
    dx, dy = x - AXIS_X0, y - AXIS_Y0
    return dx * COS_A + dy * SIN_A, -dx * SIN_A + dy * COS_A


def to_world(s, n):
    return AXIS_X0 + s * COS_A - n * SIN_A, AXIS_Y0 + s * SIN_A + n * COS_A


class Terrain:
    """Ground elevation of the reach as a function of world co-ordinates.

    The same code runs on floats (ScalarMath) and on numpy arrays (numpy),
    so the benchmark file shows the same landscape as the examples.
    """

    def __init__(self, seed):
        rng = random.Random(seed)
        # Meander centre line n = nc(s): three sine waves of fixed phase.
        self.meander = [(150.0, 2 * math.pi / 760.0, rng.uniform(0, 2 * math.pi)),
                        (26.0, 2 * math.pi / 1900.0, rng.uniform(0, 2 * math.pi)),
                        (24.0, 2 * math.pi / 1270.0, rng.uniform(0, 2 * math.pi))]
        # Gentle undulation of the floodplain: a few plane waves.
        self.waves = []
        for _ in range(7):
            length = rng.uniform(90.0, 460.0)
            heading = rng.uniform(0.0, math.pi)
            k = 2 * math.pi / length
            self.waves.append((rng.uniform(0.03, 0.11), k * math.cos(heading),
                               k * math.sin(heading), rng.uniform(0, 2 * math.pi)))
        # Flood protection dyke on the right floodplain: crest vertices at
        # irregular spacing, following the valley.
        self.dyke = []
        s = 720.0
        while s < 2330.0:
            n = -262.0 + 14.0 * math.sin(s / 310.0)
            self.dyke.append(to_world(s, n))
            s += rng.uniform(62.0, 118.0)
        self.station_table = self._build_station_table()

    # ---- centre line in the valley frame -----------------------------
    def nc(self, t, xp):
        return sum(a * xp.sin(k * t + p) for a, k, p in self.meander)

    def nc1(self, t, xp):
        return sum(a * k * xp.cos(k * t + p) for a, k, p in self.meander)

    def nc2(self, t, xp):
        return sum(-a * k * k * xp.sin(k * t + p) for a, k, p in self.meander)

    def valley_level(self, s):
        """Mean floodplain reference level falling downstream (0.18 percent)."""
        return 424.0 - 0.0018 * s

    def _build_station_table(self):
        """Arc length of the centre line at s = 0, 1, 2, ... m (for stations)."""
        table, length = [0.0], 0.0
        for i in range(int(VALLEY_LENGTH)):
            t = i + 0.5
            length += math.sqrt(1.0 + self.nc1(t, ScalarMath) ** 2)
            table.append(length)
        return table

    def channel_length(self):
        return self.station_table[-1]

    def s_at_station(self, station):
        """Valley co-ordinate s of the centre line point at arc length station."""
        tab = self.station_table
        i = min(max(bisect.bisect_right(tab, station) - 1, 0), len(tab) - 2)
        return i + (station - tab[i]) / (tab[i + 1] - tab[i])

    def centre_frame(self, t):
        """World position, unit tangent and left unit normal of the centre line at s = t."""
        c1 = self.nc1(t, ScalarMath)
        norm = math.sqrt(1.0 + c1 * c1)
        tx, ty = 1.0 / norm, c1 / norm
        x, y = to_world(t, self.nc(t, ScalarMath))
        wtx, wty = tx * COS_A - ty * SIN_A, tx * SIN_A + ty * COS_A
        return (x, y), (wtx, wty), (-wty, wtx)

    # ---- the surface ----------------------------------------------------
    def parts(self, x, y, xp):
        """Floodplain level F, channel level C and whether the channel applies.

        The ground is min(F, C) where the channel applies, else F.
        """
        dx, dy = x - AXIS_X0, y - AXIS_Y0
        s = dx * COS_A + dy * SIN_A
        n = -dx * SIN_A + dy * COS_A
        # Nearest centre line point by Newton steps on the squared distance.
        t = s
        for _ in range(7):
            c, c1, c2 = self.nc(t, xp), self.nc1(t, xp), self.nc2(t, xp)
            g1 = (t - s) + (c - n) * c1
            g2 = xp.maximum(1.0 + c1 * c1 + (c - n) * c2, 0.2)
            t = t - xp.clip(g1 / g2, -60.0, 60.0)
        c, c1, c2 = self.nc(t, xp), self.nc1(t, xp), self.nc2(t, xp)
        norm = xp.sqrt(1.0 + c1 * c1)
        d = ((n - c) - (s - t) * c1) / norm          # signed, > 0 on the left
        along = ((s - t) + (n - c) * c1) / norm
        ad = xp.abs(d)
        applies = xp.logical_and(xp.abs(along) < 1.0, ad < CHANNEL_REACH)

        # Channel: pools in the bends, thalweg shifted to the outer bank.
        curvature = c2 / (norm * norm * norm)
        pool = 0.9 * xp.minimum(xp.abs(curvature) * 140.0, 1.0)
        shift = xp.clip(-curvature * 450.0, -4.0, 4.0)
        toe = self.valley_level(t) + 0.5
        thalweg = toe - 1.3 - pool
        rel = d - shift
        q = xp.where(d > shift, rel / (TOE_OFFSET - shift), rel / (-TOE_OFFSET - shift))
        bed = thalweg + (toe - thalweg) * q * q
        bank = toe + (ad - TOE_OFFSET) * BANK_SLOPE
        channel = xp.where(ad <= TOE_OFFSET, bed, bank)

        # Floodplain rising gently towards the valley sides, then the sides.
        an = xp.abs(n)
        half_width = 380.0 + 40.0 * xp.sin(2 * math.pi * s / 2600.0 + 0.7)
        u = (an - half_width) / 30.0
        softplus = xp.where(u > 0, u + xp.log1p(xp.exp(-xp.abs(u))),
                            xp.log1p(xp.exp(-xp.abs(u))))
        flood = self.valley_level(s) + 3.0 + 0.004 * an + 0.2 * 30.0 * softplus
        for amp, kx, ky, phase in self.waves:
            flood = flood + amp * xp.sin(kx * dx + ky * dy + phase)
        levee = 0.35 * xp.maximum(1.0 - ((ad - 15.0) / (CHANNEL_REACH - 15.0)) ** 2, 0.0)
        flood = flood + xp.where(applies, levee, 0.0)
        flood = flood + self.dyke_height(x, y, xp)
        return flood, channel, applies

    def elevation(self, x, y, xp=ScalarMath):
        flood, channel, applies = self.parts(x, y, xp)
        return xp.where(applies, xp.minimum(flood, channel), flood)

    def dyke_height(self, x, y, xp):
        """Height of the dyke body above the ground: a 4 m crest, sides 1:2.5."""
        best = None
        for (ax, ay), (bx, by) in zip(self.dyke, self.dyke[1:]):
            ex, ey = bx - ax, by - ay
            f = xp.clip(((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey), 0.0, 1.0)
            px, py = x - ax - f * ex, y - ay - f * ey
            dist = xp.sqrt(px * px + py * py)
            best = dist if best is None else xp.minimum(best, dist)
        return xp.maximum(2.2 - xp.maximum(best - 2.0, 0.0) / 2.5, 0.0)

    def inside_survey(self, x, y):
        s, n = to_valley(x, y)
        return 0.0 <= s <= VALLEY_LENGTH and abs(n) <= SURVEY_HALF_WIDTH

    def bank_top_offset(self, t, side):
        """Distance from the centre line at which the bank meets the floodplain."""
        (cx, cy), _, (nx, ny) = self.centre_frame(t)
        lo, hi = TOE_OFFSET, CHANNEL_REACH - 5.0
        for _ in range(40):
            mid = 0.5 * (lo + hi)
            flood, channel, _ = self.parts(cx + side * mid * nx, cy + side * mid * ny, ScalarMath)
            if channel < flood:
                lo = mid
            else:
                hi = mid
        return 0.5 * (lo + hi)


def offset_point(terrain, t, d):
    """World point at signed distance d (> 0 left) from the centre line at s = t."""
    (cx, cy), _, (nx, ny) = terrain.centre_frame(t)
    return cx + d * nx, cy + d * ny


# ---- the example files --------------------------------------------------

def make_points(terrain, rng):
    """Echo-sounding profiles across the channel, then floodplain points."""
    points = []
    length = terrain.channel_length()
    station = 3.0
    while station < length - 3.0:
        t = terrain.s_at_station(station + rng.uniform(-1.5, 1.5))
        d = -17.0 + rng.uniform(0.0, 0.6)
        while d <= 17.0:
            x, y = offset_point(terrain, t, d + rng.uniform(-0.3, 0.3))
            points.append((x, y, terrain.elevation(x, y) + rng.gauss(0.0, 0.02)))
            d += 1.5
        station += 10.0
    n_bed = len(points)
    while len(points) < n_bed + 21000:
        s = rng.uniform(0.0, VALLEY_LENGTH)
        n = rng.uniform(-SURVEY_HALF_WIDTH, SURVEY_HALF_WIDTH)
        x, y = to_world(s, n)
        flood, channel, applies = terrain.parts(x, y, ScalarMath)
        if applies and channel < flood:
            continue                          # inside the channel: sounded above
        points.append((x, y, flood + rng.gauss(0.0, 0.03)))
    return points, n_bed


def make_banks(terrain, rng):
    """Left top, left toe, right toe and right top lines, each running downstream."""
    stations = []
    station, length = 0.0, terrain.channel_length()
    while station < length:
        stations.append(station)
        station += rng.uniform(4.0, 7.0)
    stations.append(length)
    lines = []
    for side, kind in ((1, "top"), (1, "toe"), (-1, "toe"), (-1, "top")):
        line = []
        for st in stations:
            t = terrain.s_at_station(st)
            d = TOE_OFFSET if kind == "toe" else terrain.bank_top_offset(t, side)
            x, y = offset_point(terrain, t, side * d)
            line.append((x, y, terrain.elevation(x, y) + rng.gauss(0.0, 0.01)))
        lines.append(line)
    return lines


def section_angle(ux, uy):
    """Angle of the locate keyword for sections running in direction (ux, uy).

    A section point at distance d lies at (x0 - sin(a) d, y0 - cos(a) d).
    """
    return math.degrees(math.atan2(-ux, -uy))


def make_sections(terrain, rng):
    """Six cross-sections across channel and floodplain, left end first."""
    sections = []
    for km in (0.400, 1.000, 1.600, 2.200, 2.800, 3.400):
        t = terrain.s_at_station(km * 1000.0)
        (cx, cy), _, (nx, ny) = terrain.centre_frame(t)
        tops = (terrain.bank_top_offset(t, 1), terrain.bank_top_offset(t, -1))
        offsets = [float(d) for d in range(120, 20, -10)]
        offsets += [d + rng.uniform(-0.2, 0.2) for d in range(20, -21, -1) if abs(d) != 10]
        offsets += [tops[0], TOE_OFFSET, -TOE_OFFSET, -tops[1]]
        offsets += [float(d) for d in range(-30, -121, -10)]
        offsets.sort(reverse=True)
        left = (cx + 120.0 * nx, cy + 120.0 * ny)
        pairs = []
        for d in offsets:
            x, y = cx + d * nx, cy + d * ny
            pairs.append((120.0 - d, terrain.elevation(x, y) + rng.gauss(0.0, 0.01)))
        sections.append((km, left, section_angle(-nx, -ny), pairs))
    return sections


def write_points(path, points):
    with open(path, "w") as f:
        for x, y, z in points:
            f.write(f"{x:.2f} {y:.2f} {z:.3f}\n")


def write_banks(path, lines):
    with open(path, "w") as f:
        for line in lines:
            for i, (x, y, z) in enumerate(line):
                f.write(f"{x:.2f} {y:.2f} {z:.3f} {1 if i == 0 else 0}\n")


DYKE_SPACING = 25.0


def write_sections(path, terrain, sections):
    names = [f"QP{round(km * 1000):04d}" for km, _, _, _ in sections]
    with open(path, "w") as f:
        f.write(">>unstruct\n")
        f.write("/ LV95 co-ordinates in metres, heights in metres above sea level\n")
        f.write("# Cross-sections and the dyke crest of the example reach\n")
        f.write("# (made by examples/generate.py).  Each section is surveyed from its\n")
        f.write("# left end, looking downstream: \"locate\" gives that end and the\n")
        f.write("# direction, \"cs\" the name, the station in km and a height shift.\n")
        f.write("item river_sections\n")
        f.write("color 4\n")
        for name, (km, (lx, ly), angle, pairs) in zip(names, sections):
            dz = 400.0 if name == names[-1] else 0.0
            f.write("\n")
            if dz:
                f.write(f"# {name}: heights relative to the local benchmark at 400 m\n")
            else:
                f.write(f"# {name}: distance from the left end, height above sea level\n")
            f.write(f"locate {lx:.2f} {ly:.2f} {angle:.4f}\n")
            f.write(f"cs {name} {km:.3f} {dz:.2f}\n")
            for dist, z in pairs:
                f.write(f"{dist:8.2f} {z - dz:8.3f}\n")
        f.write("\n# Flood protection dyke on the right floodplain, crest line, vertices\n")
        f.write(f"# 60 to 120 m apart; max_distance adds a vertex every {DYKE_SPACING:.0f} m\n")
        f.write(f"max_distance {DYKE_SPACING:.1f}\n")
        f.write("lines /\n")
        for i, (x, y) in enumerate(terrain.dyke):
            f.write(f"{x:.2f} {y:.2f} {terrain.elevation(x, y):.3f} {1 if i == 0 else 0}\n")
        f.write("# back to plain lines for the files loaded after this one\n")
        f.write("max_distance 0.0\n")
    return names


# Rating curves: stage above the gauge zero in cm, discharge in m3/s and the
# mean velocity in m/s; the table maps them to discharge (x) against the water
# level above sea level (y = stage / 100 + gauge zero).
GAUGES = (("Ruetiwis", 0.150, 422.10), ("Chlimatt", 3.550, 417.50))


def rating_curve(k):
    rows = []
    for stage_cm in range(20, 481, 20):
        h = stage_cm / 100.0
        q = k * (h - 0.12) ** 1.65 if h > 0.12 else 0.0
        v = 0.0 if q == 0 else 0.35 + 0.42 * h ** 0.6
        rows.append((stage_cm, q, v))
    return rows


def write_table(path):
    sums = []
    with open(path, "w") as f:
        f.write(">>unstruct\n")
        f.write("/ made by examples/generate.py\n")
        f.write("# Rating curves of the two gauges of the example reach\n")
        f.write("# columns: stage above gauge zero [cm], discharge [m3/s], mean velocity [m/s]\n")
        f.write("# table ix iy ax bx ay by:  x = discharge,  y = stage / 100 + gauge zero\n")
        for (name, km, zero), k in zip(GAUGES, (31.0, 28.5)):
            rows = rating_curve(k)
            f.write("\n")
            f.write(f"# gauge {name}, km {km:.3f}, gauge zero {zero:.2f} m\n")
            f.write(f"item rating_{name}\n")
            f.write(f"table 2 1 1.0 0.0 0.01 {zero:.2f}\n")
            total = 0.0
            for stage_cm, q, v in rows:
                f.write(f"{stage_cm:5d} {q:9.3f} {v:6.3f}\n")
                total += 0.01 * stage_cm + zero
            sums.append((len(rows), total))
    return sums


def write_grid(path, terrain):
    nodata = 0
    with open(path, "w") as f:
        f.write(f"ncols         {GRID_NCOLS}\n")
        f.write(f"nrows         {GRID_NROWS}\n")
        # Centre of the south-west cell: korvel places node (1,1) there.
        f.write(f"xllcenter     {GRID_XLL + 0.5 * GRID_CELL:.1f}\n")
        f.write(f"yllcenter     {GRID_YLL + 0.5 * GRID_CELL:.1f}\n")
        f.write(f"cellsize      {GRID_CELL:.1f}\n")
        f.write(f"NODATA_value  {NODATA}\n")
        for row in range(GRID_NROWS):              # north row first
            y = GRID_YLL + (GRID_NROWS - row - 0.5) * GRID_CELL
            values = []
            for col in range(GRID_NCOLS):
                x = GRID_XLL + (col + 0.5) * GRID_CELL
                if terrain.inside_survey(x, y):
                    values.append(f"{terrain.elevation(x, y):.2f}")
                else:
                    values.append(str(NODATA))
                    nodata += 1
            f.write(" ".join(values) + "\n")
    return nodata


def line_section_count(vertices, spacing):
    """Points and edges a line of these vertices gives with densifying at spacing."""
    points = 1
    for (ax, ay), (bx, by) in zip(vertices, vertices[1:]):
        points += int(math.hypot(bx - ax, by - ay) / spacing) + 1
    return points, points - 1


def generate(out):
    terrain = Terrain(SEED)
    rng = random.Random(SEED + 1)
    os.makedirs(out, exist_ok=True)

    points, n_bed = make_points(terrain, rng)
    write_points(os.path.join(out, "river_points.xyz"), points)
    banks = make_banks(terrain, rng)
    write_banks(os.path.join(out, "river_banks.xyzi"), banks)
    sections = make_sections(terrain, rng)
    names = write_sections(os.path.join(out, "river_sections.unstruct"), terrain, sections)
    sums = write_table(os.path.join(out, "river_table.unstruct"))
    nodata = write_grid(os.path.join(out, "river_grid.asc"), terrain)

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    zs = [p[2] for p in points]
    nverts = sum(len(line) for line in banks)
    dyke_points, dyke_edges = line_section_count(terrain.dyke, DYKE_SPACING)
    ncs = sum(len(s[3]) for s in sections)
    print(f"channel length {terrain.channel_length():.1f} m")
    print(f"river_points.xyz: {len(points)} points ({n_bed} in the channel), "
          f"first {points[0][0]:.2f} {points[0][1]:.2f}")
    print(f"  x {min(xs):.2f} .. {max(xs):.2f}  y {min(ys):.2f} .. {max(ys):.2f}"
          f"  z {min(zs):.3f} .. {max(zs):.3f}")
    print(f"river_banks.xyzi: {len(banks)} lines, {nverts} vertices, "
          f"{nverts - len(banks)} edges, first {banks[0][0][0]:.2f} {banks[0][0][1]:.2f}")
    print(f"river_sections.unstruct: {len(sections)} sections ({', '.join(names)}), "
          f"{ncs} section points; dyke line of {len(terrain.dyke)} vertices "
          f"-> {dyke_points} points, {dyke_edges} edges with max_distance {DYKE_SPACING}")
    for (name, _, _), (count, total) in zip(GAUGES, sums):
        print(f"river_table.unstruct: {name}: {count} values, sum of y {total:.2f}")
    print(f"river_grid.asc: {GRID_NCOLS} x {GRID_NROWS}, cell {GRID_CELL}, "
          f"{nodata} NODATA cells")


# ---- benchmark file -------------------------------------------------------

def write_big(path, count, chunk=1_000_000):
    """Writes count points of the terrain as fixed-width 30-byte XYZ records.

    Each record is "XXXXXXX.XX YYYYYYY.YY ZZZ.ZZZ\\n"; the digits are built
    with integer arithmetic on byte arrays, which is far faster than text
    formatting in Python.
    """
    import numpy as np

    terrain = Terrain(SEED)
    rng = np.random.default_rng(SEED)
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    layout = ((7, 2), (7, 2), (3, 3))             # integer and decimal digits per column
    width = sum(i + d + 2 for i, d in layout)
    with open(path, "wb") as f:
        done = 0
        while done < count:
            m = min(chunk, count - done)
            s = rng.uniform(0.0, VALLEY_LENGTH, m)
            n = rng.uniform(-SURVEY_HALF_WIDTH, SURVEY_HALF_WIDTH, m)
            x, y = to_world(s, n)
            z = terrain.elevation(x, y, np) + rng.normal(0.0, 0.02, m)
            z = np.clip(z, 100.0, 999.999)
            buf = np.empty((m, width), dtype=np.uint8)
            pos = 0
            for values, (idig, ddig) in zip((x, y, z), layout):
                fixed = np.rint(values * 10 ** ddig).astype(np.int64)
                for k in range(idig + ddig):
                    col = pos + k + (1 if k >= idig else 0)
                    buf[:, col] = 48 + (fixed // 10 ** (idig + ddig - 1 - k)) % 10
                buf[:, pos + idig] = ord(".")
                pos += idig + ddig + 1
                buf[:, pos] = ord(" ")
                pos += 1
            buf[:, width - 1] = ord("\n")
            f.write(buf.tobytes())
            done += m


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", help="output directory (default: this script's "
                        "directory), or with --big the output file")
    parser.add_argument("--big", type=int, metavar="N",
                        help="write N random terrain points as one plain XYZ file")
    args = parser.parse_args()
    if args.big is not None:
        if not args.out:
            parser.error("--big needs --out FILE")
        write_big(args.out, args.big)
    else:
        generate(args.out or os.path.dirname(os.path.abspath(__file__)))


if __name__ == "__main__":
    sys.exit(main())
