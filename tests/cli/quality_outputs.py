"""The program's refined meshes and its solver formats, read back by
readers that are not the program's: meshio for .vtu and .msh, a parser
here for Triangle's .ele/.node; and the commands and Python of
doc/quality.md, run as they are shown.

    python3 quality_outputs.py PROGRAM SOURCE_DIR SCRATCH_FOLDER
"""
import math
import os
import re
import shutil
import subprocess
import sys

import meshio
import numpy as np

program, source, folder = sys.argv[1:4]
shutil.rmtree(folder, ignore_errors=True)
os.makedirs(folder)


def path(name):
    return os.path.join(folder, name)


def run(*args):
    result = subprocess.run([program, *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert result.returncode == 0, (args, result.stderr)
    return result


def read_triangle_files(stem):
    """Points, triangles (0-based) and the attribute column of .node/.ele."""
    def rows(name):
        with open(path(name)) as f:
            return [line.split("#")[0].split() for line in f if line.split("#")[0].strip()]
    node, ele = rows(stem + ".node"), rows(stem + ".ele")
    count, attributes = int(ele[0][0]), int(ele[0][2])
    first = int(node[1][0])
    points = np.array([[float(r[1]), float(r[2])] for r in node[1:int(node[0][0]) + 1]])
    triangles = np.array([[int(v) - first for v in r[1:4]] for r in ele[1:count + 1]])
    column = np.array([float(r[4]) for r in ele[1:count + 1]]) if attributes == 1 else None
    assert all(len(r) == 4 + attributes for r in ele[1:count + 1])
    return points, triangles, column


def angles_and_areas(points, triangles):
    corners = points[triangles][:, :, :2]
    a = np.roll(corners, -1, axis=1) - corners
    b = np.roll(corners, 1, axis=1) - corners
    cosine = (a * b).sum(axis=2) / np.linalg.norm(a, axis=2) / np.linalg.norm(b, axis=2)
    area = 0.5 * (a[:, 0, 0] * b[:, 0, 1] - a[:, 0, 1] * b[:, 0, 0])
    return np.degrees(np.arccos(cosine.clip(-1.0, 1.0))), area


def keyed(points, triangles, values):
    """Each triangle as its sorted corner coordinates, with its value: what
    two files of one mesh must agree on whatever their order."""
    return sorted((tuple(sorted(tuple(points[v][:2]) for v in t)), float(value))
                  for t, value in zip(triangles, values))


# --- the plate of doc/quality.md, refined, in three formats ---
shutil.copy(os.path.join(source, "data", "plate.poly"), path("plate.poly"))
bounds = ["--min-angle", "30", "--max-area", "0.1"]
for name in ("mesh.ele", "plate.vtu", "plate.msh"):
    run(path("plate.poly"), *bounds, "-o", path(name))
points, triangles, region = read_triangle_files("mesh")
assert region is not None, ".ele lost the region column"
angles, area = angles_and_areas(points, triangles)
assert angles.min() >= 30.0 - 1e-9, "smallest angle %r" % angles.min()
assert (area > 0).all(), "a triangle is not counter-clockwise"
assert area[region == 1].max() <= 0.1 and area[region == 2].max() <= 0.05, "an area bound is not kept"
# The plate less its holes (the rims are polygons: their own areas).
with open(path("plate.poly")) as f:
    rows = [line.split("#")[0].split() for line in f if line.split("#")[0].strip()]
vertices = np.array([[float(r[1]), float(r[2])] for r in rows[1:int(rows[0][0]) + 1]])
def polygon_area(ring):
    x, y = ring[:, 0], ring[:, 1]
    return 0.5 * abs((x * np.roll(y, -1) - np.roll(x, -1) * y).sum())
domain = 40.0 - polygon_area(vertices[6:22]) - polygon_area(vertices[22:34])
assert abs(area.sum() - domain) < 1e-9, (area.sum(), domain)
# Region 1 lies left of x = 6, region 2 right of it.
centre_x = points[triangles][:, :, 0].mean(axis=1)
assert ((centre_x < 6) == (region == 1)).all() and set(region) == {1.0, 2.0}
# The input points come first, the added ones after them.
assert np.array_equal(points[:len(vertices)], vertices), "the input points are not first in .node"
assert len(points) > len(vertices), "refinement added no point"

vtu = meshio.read(path("plate.vtu"))
assert np.array_equal(vtu.points[:, :2], points) and not vtu.points[:, 2].any()
assert np.array_equal(vtu.cells_dict["triangle"], triangles), ".vtu triangles differ from .ele"
assert np.array_equal(vtu.cell_data["region"][0], region), ".vtu regions differ from .ele"

msh = meshio.read(path("plate.msh"))
assert np.array_equal(msh.points[:, :2], points)
assert [block.type for block in msh.cells] == ["triangle", "triangle"], "one block per region"
msh_triangles = np.concatenate([block.data for block in msh.cells])
msh_region = np.concatenate(msh.cell_data["region"])
physical = np.concatenate(msh.cell_data["gmsh:physical"])
assert np.array_equal(physical, msh_region), "physical tags are not the whole-number attributes"
assert keyed(points, msh_triangles, msh_region) == keyed(points, triangles, region), ".msh differs from .ele"
assert {name: list(tag) for name, tag in msh.field_data.items()} == {"region 1": [1, 2], "region 2": [2, 2]}

# --- --conforming: every edge of the mesh is Delaunay (the two angles
# facing an inner edge add up to at most 180 degrees, up to rounding) ---
# A long segment across a square with a point just above and below it:
# its constrained mesh is not Delaunay, the conforming one is.
with open(path("across.poly"), "w") as f:
    f.write("8 2 0 0\n1 0 0\n2 10 0\n3 10 10\n4 0 10\n5 1 5\n6 9 5\n7 5 5.3\n8 5 4.7\n"
            "5 0\n1 1 2\n2 2 3\n3 3 4\n4 4 1\n5 5 6\n0\n")
def most_facing(stem):
    c_points, c_triangles, _ = read_triangle_files(stem)
    c_angles, _ = angles_and_areas(c_points, c_triangles)
    facing = {}
    for t, corners in enumerate(c_triangles):
        for k in range(3):
            edge = tuple(sorted((corners[(k + 1) % 3], corners[(k + 2) % 3])))
            facing.setdefault(edge, []).append(c_angles[t][k])
    return max(sum(pair) for pair in facing.values() if len(pair) == 2)
run(path("across.poly"), "-o", path("constrained.ele"))
run(path("across.poly"), "--conforming", "-o", path("conforming.ele"))
assert most_facing("constrained") > 180.0 + 1e-3, "the example is Delaunay without --conforming"
assert most_facing("conforming") <= 180.0 + 1e-7, "an edge is not Delaunay with --conforming"

# --- attributes that are not whole numbers get physical tags 1, 2, ... ---
with open(path("plate.poly")) as f:
    text = f.read()
with open(path("plate_half.poly"), "w") as f:
    f.write(text.replace("1 0.5 0.5 1 -1", "1 0.5 0.5 -0.5 -1").replace("2 9.5 0.5 2 0.05", "2 9.5 0.5 2.25 -1"))
run(path("plate_half.poly"), "-o", path("half.msh"))
half = meshio.read(path("half.msh"))
assert [list(np.unique(r)) for r in half.cell_data["region"]] == [[-0.5], [2.25]]
assert [list(np.unique(p)) for p in half.cell_data["gmsh:physical"]] == [[1], [2]]
assert set(half.field_data) == {"region -0.5", "region 2.25"}

# --- a point file with z: z as point data, no region ---
with open(path("hill.xyz"), "w") as f:
    for i in range(60):
        x, y = math.cos(i * 2.4) * i, math.sin(i * 2.4) * i
        f.write("%r %r %r\n" % (x, y, 0.25 * i))
run(path("hill.xyz"), "-o", path("hill.vtu"))
run(path("hill.xyz"), "-o", path("hill.msh"))
hill_vtu, hill_msh = meshio.read(path("hill.vtu")), meshio.read(path("hill.msh"))
z = np.array([0.25 * i for i in range(60)])
assert np.array_equal(hill_vtu.point_data["z"], z) and np.array_equal(hill_msh.point_data["z"], z)
assert "region" not in hill_vtu.cell_data and "region" not in hill_msh.cell_data
assert len(hill_vtu.cells_dict["triangle"]) == sum(len(b.data) for b in hill_msh.cells) > 0
assert list(hill_msh.field_data) == ["domain"]

# --- a bound refinement cannot promise still ends, and says what it reached ---
result = run(path("plate.poly"), "--min-angle", "45", "--max-steiner", "300", "-o", path("steep.ele"))
assert "--min-angle 45 not reached" in result.stderr, result.stderr
steep_points, steep_triangles, _ = read_triangle_files("steep")
assert len(steep_points) <= len(vertices) + 300
reached = re.search(r"the smallest angle is ([0-9.]+) degrees", result.stderr)
steep_angles, _ = angles_and_areas(steep_points, steep_triangles)
assert reached and abs(float(reached.group(1)) - steep_angles.min()) < 0.006, result.stderr

# A refined terrain keeps its surface: on a plane z = 2x + 3y given at the
# corners and at the ends of an inner breakline, every added point (split
# points on segments and points inside alike) has the plane's z.
with open(path("plane.poly"), "w") as f:
    corners = [(0, 0), (10, 0), (10, 10), (0, 10), (2, 3), (8, 6)]
    f.write("6 2 1 0\n")
    for k, (x, y) in enumerate(corners):
        f.write("{} {} {} {}\n".format(k, x, y, 2 * x + 3 * y))
    f.write("5 0\n0 0 1\n1 1 2\n2 2 3\n3 3 0\n4 4 5\n0\n")
run(path("plane.poly"), "--min-angle", "30", "--max-area", "0.5", "-o", path("plane_mesh.ele"))
with open(path("plane_mesh.node")) as f:
    rows = [line.split() for line in f if line.strip() and not line.startswith("#")][1:]
assert len(rows) > 50, len(rows)
for row in rows:
    x, y, z = float(row[1]), float(row[2]), float(row[3])
    assert abs(z - (2 * x + 3 * y)) <= 1e-9 * 50, (row, 2 * x + 3 * y)


# --- doc/quality.md: its commands and its Python, as shown ---
with open(os.path.join(source, "doc", "quality.md")) as f:
    page = f.read()
doc = path("doc")
os.makedirs(doc)
shutil.copy(os.path.join(source, "data", "plate.poly"), os.path.join(doc, "plate.poly"))
commands = [line for block in re.findall(r"```sh\n(.*?)```", page, re.S)
            for line in block.splitlines() if line.startswith("delaunay2d ")]
assert len(commands) >= 3, "doc/quality.md shows no commands"
summary = ""
for line in commands:
    args = line.split()[1:]
    result = subprocess.run([program, *args], cwd=doc, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert result.returncode == 0, (line, result.stderr)
    summary = result.stdout or summary
for block in re.findall(r"```python\n(.*?)```", page, re.S):
    subprocess.run([sys.executable, "-c", block], cwd=doc, check=True, stdout=subprocess.DEVNULL)
# The summary shown is the one printed, but for the times; the counts that
# depend on the order refinement takes its points in may drift by a few
# percent before the page is brought up to date, the angles may not fall
# below the bound.
shown = re.search(r"The last line prints the summary:\n\n```\n(.*?)```", page, re.S).group(1)
def summary_lines(text):
    return {line[:18].strip(): line[18:] for line in text.splitlines() if not line.startswith("time")}
shown, printed = summary_lines(shown), summary_lines(summary)
assert shown.keys() == printed.keys(), (shown, printed)
for key, value in shown.items():
    if key in ("triangles", "hull size", "points added"):
        a, b = float(value.split()[0]), float(printed[key].split()[0])
        assert abs(a - b) <= 0.1 * b, (key, value, printed[key])
    elif key in ("smallest angle", "largest angle"):
        assert 30 <= float(value.split()[0]) < 120 and 30 <= float(printed[key].split()[0]) < 120, (key, value)
    else:
        assert value == printed[key], (key, value, printed[key])
print("quality outputs: all checks passed")
