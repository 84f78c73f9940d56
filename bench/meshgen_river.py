"""Writes the benchmark river: a meandering channel with islands as a
Triangle PSLG (<base>.node, <base>.poly) and the same geometry as a gmsh
.geo with a uniform mesh size.

    python3 meshgen_river.py BASE SEGMENTS SIZE

SEGMENTS is the total segment count (banks, end caps and island rings);
SIZE the gmsh element size in metres. Co-ordinates are Swiss-grid-like
seven-digit values, as survey data are.
"""
import math
import sys

base, segments, size = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
X0, Y0 = 2600000.0, 1200000.0
LENGTH, WIDTH, AMPLITUDE, WAVE = 10000.0, 100.0, 300.0, 1500.0
ISLANDS, RING = max(1, segments // 1000), 50
bank = (segments - ISLANDS * RING - 2) // 2 + 1  # points per bank


def centre(t):
    x = t * LENGTH
    y = AMPLITUDE * math.sin(2 * math.pi * x / WAVE)
    dy = AMPLITUDE * 2 * math.pi / WAVE * math.cos(2 * math.pi * x / WAVE)
    n = math.hypot(1.0, dy)
    return x, y, -dy / n, 1.0 / n


left, right = [], []
for i in range(bank):
    x, y, nx, ny = centre(i / (bank - 1))
    w = WIDTH / 2 * (1 + 0.3 * math.sin(i * 0.01))
    left.append((x + nx * w, y + ny * w))
    right.append((x - nx * w, y - ny * w))
outline = left + right[::-1]  # counter-clockwise ring
rings, holes = [outline], []
for k in range(ISLANDS):
    x, y, _, _ = centre((k + 0.5) / ISLANDS)
    r = WIDTH * 0.15
    rings.append([(x + r * 1.6 * math.cos(2 * math.pi * j / RING), y + r * math.sin(2 * math.pi * j / RING))
                  for j in range(RING)])
    holes.append((x, y))

points = [p for ring in rings for p in ring]
with open(base + ".node", "w") as f:
    f.write(f"{len(points)} 2 1 1\n")
    for i, (x, y) in enumerate(points, 1):
        f.write(f"{i} {X0 + x:.3f} {Y0 + y:.3f} {0.001 * x:.3f} 1\n")
with open(base + ".poly", "w") as f:
    segs, start = [], 1
    for ring in rings:
        n = len(ring)
        segs += [(start + j, start + (j + 1) % n) for j in range(n)]
        start += n
    f.write(f"0 2 0 1\n{len(segs)} 1\n")
    f.writelines(f"{i} {a} {b} 1\n" for i, (a, b) in enumerate(segs, 1))
    f.write(f"{len(holes)}\n")
    f.writelines(f"{i} {X0 + x:.3f} {Y0 + y:.3f}\n" for i, (x, y) in enumerate(holes, 1))
with open(base + ".geo", "w") as f:
    # Local co-ordinates: gmsh's tolerances are relative to the model size.
    f.write(f"Mesh.CharacteristicLengthMin = {size};\nMesh.CharacteristicLengthMax = {size};\n")
    f.write("Mesh.CharacteristicLengthFromPoints = 0;\nMesh.CharacteristicLengthExtendFromBoundary = 0;\n")
    pid, lid, loops = 1, 1, []
    for ring in rings:
        first = pid
        for x, y in ring:
            f.write(f"Point({pid}) = {{{x:.3f}, {y:.3f}, 0}};\n")
            pid += 1
        n = len(ring)
        lines = []
        for j in range(n):
            f.write(f"Line({lid}) = {{{first + j}, {first + (j + 1) % n}}};\n")
            lines.append(lid)
            lid += 1
        f.write(f"Curve Loop({len(loops) + 1}) = {{{', '.join(map(str, lines))}}};\n")
        loops.append(len(loops) + 1)
    f.write(f"Plane Surface(1) = {{{', '.join(map(str, loops))}}};\n")
