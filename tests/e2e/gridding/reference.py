#!/usr/bin/env python3
"""Inverse distance with quadrant search, written out plainly, in single
precision: the points sorted by y (equal y keep their file order), a window
start that survives from node to node, the scan up to the first point more
than R above the node, two slots per quadrant.

    reference.py POINTS X0 Y0 D NX NY R NODATA

prints the grid's values row by row from the top row down, one row a line,
like the rows of an ESRI grid."""
import struct
import sys


def f32(v):
    return struct.unpack('f', struct.pack('f', v))[0]


def main():
    path, x0, y0, d, nx, ny, r, nodata = sys.argv[1:]
    x0, y0, d, r, nodata = float(x0), float(y0), f32(float(d)), f32(float(r)), f32(float(nodata))
    nx, ny = int(nx), int(ny)
    pts = []
    for line in open(path):
        w = line.split()
        if len(w) >= 3:
            pts.append(tuple(float(v) for v in w[:3]))
    ox, oy = pts[0][0], pts[0][1]  # the origin: the first point
    px = [f32(p[0] - ox) for p in pts]
    py = [f32(p[1] - oy) for p in pts]
    pz = [f32(p[2]) for p in pts]
    order = sorted(range(len(pts)), key=lambda k: py[k])
    r2 = f32(r * r)
    d2min = f32(f32(0.1) * f32(f32(d * d) + f32(d * d)))
    rows = []
    s = 0
    y = f32(y0 - oy)
    for _ in range(ny):
        row = []
        x = f32(x0 - ox)
        for _ in range(nx):
            wq, vq = [0.0] * 8, [0.0] * 8
            counted = False
            next_s = s
            for q in range(s, len(order)):
                p = order[q]
                dy = f32(py[p] - y)
                if dy > r:
                    break
                if dy < -r:
                    next_s = q
                dx = f32(px[p] - x)
                d2 = f32(dx * dx + dy * dy)
                if d2 > r2:
                    continue
                counted = True
                w = f32(1.0 / max(d2, d2min))
                slot = (0 if px[p] > x else 2) if py[p] > y else (6 if px[p] > x else 4)
                if w > wq[slot]:
                    wq[slot], vq[slot] = w, pz[p]
                elif w > wq[slot + 1]:
                    wq[slot + 1], vq[slot + 1] = w, pz[p]
            s = next_s
            total = wsum = 0.0
            for k in range(8):
                total = f32(total + f32(wq[k] * vq[k]))
                wsum = f32(wsum + wq[k])
            row.append(f32(total / wsum) if counted else nodata)
            x = f32(x + d)
        rows.append(row)
        y = f32(y + d)
    for row in reversed(rows):
        print(' '.join('%.6f' % v for v in row))


main()
