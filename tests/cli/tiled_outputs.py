"""The DEM and the TIN made tile by tile (--memory) against the one-pass
run's, read back by readers that are not the program's: GDAL for the
GeoTIFF and the ASCII grid, meshio for PLY, a parser here for Triangle's
.node and .ele. The raster must be equal cell for cell, the TIN triangle
for triangle (as sets of coordinates), the vertices in the same order, on
point sets that make the tiles work: uniform, clustered, with large voids
(the halo must grow), and a grid with many cocircular points, repeated
points and a point that is not finite.

    python3 tiled_outputs.py PROGRAM SCRATCH_FOLDER
"""
import os
import re
import subprocess
import sys

import meshio
import numpy as np
from osgeo import gdal

gdal.UseExceptions()
program, folder = sys.argv[1], sys.argv[2]
os.makedirs(folder, exist_ok=True)


def path(name):
    return os.path.join(folder, name)


def run(*args, expect=0):
    done = subprocess.run([program, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert done.returncode == expect, (args, done.returncode, done.stderr)
    return done.stderr


def tiles_of(summary):
    match = re.search(r"tiles\s+(\d+) \(halo grown (\d+) times", summary)
    assert match, summary
    return int(match.group(1)), int(match.group(2))


rng = np.random.default_rng(5)
n = 60000


def surface(xy):
    return 100.0 + 20.0 * np.sin(xy[:, 0] / 90.0) * np.cos(xy[:, 1] / 60.0) + 0.03 * xy[:, 0]


def uniform():
    return rng.uniform(0.0, 1000.0, (n, 2))


def clustered():
    centres = rng.uniform(100.0, 900.0, (12, 2))
    return centres[rng.integers(0, 12, n)] + rng.normal(0.0, 40.0, (n, 2))


def voids():
    xy = rng.uniform(0.0, 1000.0, (2 * n, 2))
    keep = np.ones(len(xy), bool)
    for cx, cy, r in [(300, 300, 220), (720, 650, 180), (500, 900, 90)]:
        keep &= (xy[:, 0] - cx) ** 2 + (xy[:, 1] - cy) ** 2 > r * r
    return xy[keep][:n]


def uniform_with_repeats():
    # Some points given twice (the later copy is left out, and the
    # vertices after it are numbered one less), one not finite.
    xy = uniform()
    xy = np.concatenate([xy, xy[rng.integers(0, n, 500)]])
    return xy[rng.permutation(len(xy))]


def cocircular_grid():
    # A shuffled grid: every cell's four corners lie on one circle, which
    # the library cuts by a diagonal that follows its merge order, so a
    # tile settles only once it holds every point.
    side = int(np.sqrt(n))
    g = np.stack(np.meshgrid(np.arange(side), np.arange(side)), -1).reshape(-1, 2).astype(float) * 3.0
    return g[rng.permutation(len(g))]


def write_points(name, xy, not_finite=False):
    z = surface(xy)
    with open(path(name), "w") as f:
        for k, (x, y) in enumerate(xy):
            f.write("%r %r %r\n" % (x, y, z[k]))
            if not_finite and k == 1000:
                f.write("nan 5 5\n")
    return path(name)


def read_node_ele(stem):
    with open(stem + ".node") as f:
        count = int(f.readline().split()[0])
        nodes = np.array([[float(v) for v in f.readline().split()] for _ in range(count)])
    with open(stem + ".ele") as f:
        count = int(f.readline().split()[0])
        ele = np.array([[int(v) for v in f.readline().split()] for _ in range(count)])
    return nodes, ele


def triangle_set(points, triangles):
    return {tuple(sorted(tuple(points[v, :2]) for v in t)) for t in triangles}


def same_tin(one, tiled):
    a, b = meshio.read(one), meshio.read(tiled)
    assert np.array_equal(a.points, b.points), "the vertices differ in value or order"
    ta = triangle_set(a.points, a.cells_dict["triangle"])
    tb = triangle_set(b.points, b.cells_dict["triangle"])
    assert len(tb) == len(b.cells_dict["triangle"]), "a triangle written twice"
    assert ta == tb, "%d triangles only one-pass, %d only tiled" % (len(ta - tb), len(tb - ta))
    return len(ta)


def same_raster(one, tiled):
    a = gdal.Open(one).ReadAsArray()
    b = gdal.Open(tiled).ReadAsArray()
    assert a.shape == b.shape and np.array_equal(a, b, equal_nan=True), "%d cells differ" % np.sum(a != b)


# Per case: the limits, and the fewest tiles the smallest must make.
cases = {
    "uniform": (uniform_with_repeats(), ["16M", "5M", "1500K"], 50),
    "clustered": (clustered(), ["32M"], 4),
    "voids": (voids(), ["32M", "16M", "5M"], 16),
    # Cocircular points settle in a tile like any others (the library's
    # diagonals among them depend on the points alone).
    "grid": (cocircular_grid(), ["32M", "5M"], 8),
}
for name, (xy, limits, fewest_tiles) in cases.items():
    points = write_points(name + ".xyz", xy, not_finite=name == "uniform")
    run(points, "-o", path(name + "-one.ply"))
    run(points, "-o", path(name + "-one.asc"), "--cell", "7")
    run(points, "-o", path(name + "-one.tif"), "--cell", "7")
    run(points, "-o", path(name + "-one.ele"))
    most_tiles = 0
    grown = 0
    for limit in limits:
        tag = "%s-%s" % (name, limit)
        count, growths = tiles_of(run(points, "-v", "--memory", limit, "-o", path(tag + ".ply")))
        most_tiles = max(most_tiles, count)
        grown += growths
        triangles = same_tin(path(name + "-one.ply"), path(tag + ".ply"))
        assert triangles > 1.8 * len(xy) * 0.9, (name, triangles)
        run(points, "--memory", limit, "-o", path(tag + ".tif"), "--cell", "7")
        same_raster(path(name + "-one.tif"), path(tag + ".tif"))
        run(points, "--memory", limit, "-o", path(tag + ".asc"), "--cell", "7")
        same_raster(path(name + "-one.asc"), path(tag + ".asc"))
    # Triangle's files: the same numbers, the same boundary marks.
    run(points, "--memory", limits[-1], "-o", path(name + "-tiled.ele"))
    nodes_one, ele_one = read_node_ele(path(name + "-one"))
    nodes_tiled, ele_tiled = read_node_ele(path(name + "-tiled"))
    assert np.array_equal(nodes_one, nodes_tiled, equal_nan=True), name + ": .node differs"
    assert {tuple(sorted(t[1:])) for t in ele_one} == {tuple(sorted(t[1:])) for t in ele_tiled}, name + ": .ele"
    print("%s: equal in up to %d tiles (halo grown %d times)" % (name, most_tiles, grown))
    assert most_tiles >= fewest_tiles, (name, most_tiles)
    assert grown > 0 or name == "grid", name + ": no halo grew"

# A limit too small for a void: an error that says so, and no file left.
sparse = np.concatenate([rng.uniform(0, 100, (40000, 2)), [[5000.0, 5000.0], [5000.0, 0.0]]])
points = write_points("sparse.xyz", sparse)
message = run(points, "--memory", "1500K", "-o", path("sparse.ply"), expect=1)
assert "too small for this input" in message and "--memory" in message, message
assert not os.path.exists(path("sparse.ply")), "a failed run left its output"
assert not [f for f in os.listdir(folder) if f.startswith(".delaunay2d")], "scratch files left behind"

# Outputs that are not made by tiles, and limits below one tile, are refused.
assert "--memory" in run(points, "--memory", "64M", "-o", path("mesh.off"), expect=2)
assert "too small" in run(points, "--memory", "100K", "-o", path("mesh.ply"), expect=2)
assert "--memory" in run(points, "--memory", "64M", "--method", "natural", "--cell", "7", "-o", path("n.tif"),
                         expect=2)
print("tiled outputs: all equal")
