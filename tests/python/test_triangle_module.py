"""delaunay2d.triangle beside Triangle's own program (/usr/bin/triangle,
Debian's triangle-bin) on the same input, with pytest: where the answer is
determined (no refinement, points in general position, no crossings) the
triangles, segments, markers, neighbours, edges and attributes are the
same up to order; with q and a, the bounds hold (checked from the
coordinates); unsupported switches and keys are errors that name them."""

import os
import subprocess
from types import SimpleNamespace

import numpy as np
import pytest

import delaunay2d.triangle as triangle
from test_constrained import closed
from test_refine import assert_segments_are_chains, needs_refinement, triangle_angles, triangle_areas

PROGRAM = "/usr/bin/triangle"
pytestmark = pytest.mark.skipif(not os.path.exists(PROGRAM), reason="Triangle's program is not installed "
                                "(Debian: apt-get install triangle-bin)")


def read_table(path, columns):
    with open(path) as f:
        rows = [line.split() for line in f if line.strip() and not line.lstrip().startswith("#")]
    return rows[0], rows[1:1 + int(rows[0][0])]


def run_triangle(folder, tri, opts):
    """The program on tri written as a .poly (with p) or .node file;
    its outputs read back into the module's dict."""
    v = np.asarray(tri["vertices"], dtype=float)
    vm = np.asarray(tri.get("vertex_markers", np.zeros(len(v), int))).ravel().tolist()
    lines = ["{} 2 0 1".format(len(v))] + ["{} {!r} {!r} {}".format(i, x, y, m)
                                           for i, ((x, y), m) in enumerate(zip(v.tolist(), vm))]
    if "p" in opts:
        s = np.asarray(tri.get("segments", np.empty((0, 2), int))).tolist()
        sm = np.asarray(tri.get("segment_markers", np.zeros(len(s), int))).ravel().tolist()
        lines += ["{} 1".format(len(s))] + ["{} {} {} {}".format(i, a, b, m) for i, ((a, b), m) in enumerate(zip(s, sm))]
        h = tri.get("holes", [])
        lines += ["{}".format(len(h))] + ["{} {!r} {!r}".format(i, x, y) for i, (x, y) in enumerate(h)]
        r = tri.get("regions", [])
        lines += ["{}".format(len(r))] + ["{} {!r} {!r} {!r} {!r}".format(i, *row) for i, row in enumerate(r)]
    base = os.path.join(str(folder), "input")
    with open(base + (".poly" if "p" in opts else ".node"), "w") as f:
        f.write("\n".join(lines) + "\n")
    subprocess.run([PROGRAM, "-zQ" + opts, base + (".poly" if "p" in opts else ".node")], check=True)
    out = {}
    _, rows = read_table(base + ".1.node", 4)
    out["vertices"] = np.array([[float(r[1]), float(r[2])] for r in rows])
    out["vertex_markers"] = np.array([[int(r[-1])] for r in rows])
    head, rows = read_table(base + ".1.ele", 4)
    out["triangles"] = np.array([[int(c) for c in r[1:4]] for r in rows], dtype=int).reshape(-1, 3)
    if int(head[2]):
        out["triangle_attributes"] = np.array([[float(r[4])] for r in rows])
    if os.path.exists(base + ".1.poly"):
        with open(base + ".1.poly") as f:
            rows = [line.split() for line in f if line.strip() and not line.startswith("#")]
        count = int(rows[1][0])
        out["segments"] = np.array([[int(r[1]), int(r[2])] for r in rows[2:2 + count]], dtype=int).reshape(-1, 2)
        out["segment_markers"] = np.array([[int(r[3])] for r in rows[2:2 + count]], dtype=int).reshape(-1, 1)
    if "n" in opts:
        _, rows = read_table(base + ".1.neigh", 4)
        out["neighbors"] = np.array([[int(c) for c in r[1:4]] for r in rows], dtype=int).reshape(-1, 3)
    if "e" in opts:
        _, rows = read_table(base + ".1.edge", 4)
        out["edges"] = np.array([[int(r[1]), int(r[2])] for r in rows], dtype=int).reshape(-1, 2)
        out["edge_markers"] = np.array([[int(r[3])] for r in rows], dtype=int).reshape(-1, 1)
    return {name: array for name, array in out.items() if array.size}  # as the package: no empty arrays


def key(row):
    """A triangle as its vertices from the smallest on, order kept (so
    orientation counts)."""
    row = list(row)
    k = row.index(min(row))
    return tuple(row[k:] + row[:k])


def same_mesh(ours, theirs):
    """The two dicts describe the same mesh, up to the order of triangles,
    segments and edges."""
    assert np.array_equal(ours["vertices"], theirs["vertices"])
    # Markers of the vertices of kept triangles (Triangle may also mark a
    # vertex left in a removed part, by how its removal went).
    used = np.unique(theirs.get("triangles", np.empty(0, int)))
    assert np.array_equal(ours["vertex_markers"][used], theirs["vertex_markers"][used])
    tris = [key(t) for t in ours.get("triangles", np.empty((0, 3), int)).tolist()]
    assert sorted(tris) == sorted(key(t) for t in theirs.get("triangles", np.empty((0, 3), int)).tolist())
    theirs_index = {key(t): i for i, t in enumerate(theirs.get("triangles", np.empty((0, 3), int)).tolist())}
    if "neighbors" in theirs:
        mapped = [theirs_index[t] for t in tris]
        for i, t in enumerate(tris):
            row = ours["triangles"][i].tolist()
            for k in range(3):  # the neighbour opposite each vertex, as Triangle numbers them
                mine = ours["neighbors"][i, k]
                j = theirs_index[t]
                other = theirs["neighbors"][j, theirs["triangles"][j].tolist().index(row[k])]
                assert (mine < 0 and other < 0) or mapped[mine] == other
    for name in ("segments", "edges"):
        markers = name[:-1] + "_markers"
        assert (name in ours) == (name in theirs), name
        if name in theirs:
            mine = {tuple(sorted(e)): m for e, m in zip(ours[name].tolist(), ours[markers][:, 0].tolist())}
            other = {tuple(sorted(e)): m for e, m in zip(theirs[name].tolist(), theirs[markers][:, 0].tolist())}
            assert mine == other, name
    assert ("triangle_attributes" in ours) == ("triangle_attributes" in theirs)
    if "triangle_attributes" in theirs:
        mine = {t: a for t, a in zip(tris, ours["triangle_attributes"][:, 0].tolist())}
        assert all(mine[key(t)] == a for t, a in zip(theirs["triangles"].tolist(),
                                                       theirs["triangle_attributes"][:, 0].tolist()))


def rings_and_points(seed, wide=False):
    """A wavy outer ring, a ring inside it around a hole point, a nested
    ring inside that hole (kept by p, being reached from no hull edge), a
    segment dangling outside the outer ring, and scattered points, all in
    general position. wide: the rings' vertices nearly evenly spread, so
    no two segments meet at an angle below 90 degrees, and nothing outside
    the outer ring (whose hull corners would be sharp)."""
    rng = np.random.default_rng(seed)

    def ring(n, radius, centre):
        if wide:
            t = np.linspace(0, 2 * np.pi, n, endpoint=False) + rng.uniform(-0.1, 0.1, n) * 2 * np.pi / n
            r = radius * rng.uniform(0.97, 1.0, n)
        else:
            t = np.sort(rng.uniform(0, 2 * np.pi, n))
            r = radius * rng.uniform(0.85, 1.0, n)
        return np.column_stack((centre[0] + r * np.cos(t), centre[1] + r * np.sin(t)))

    outer, hole, island = ring(30, 10.0, (0, 0)), ring(12, 4.0, (0.5, 0)), ring(6, 1.0, (0.5, 0))
    inside = rng.uniform(-3, 3, (40, 2))
    inside = inside[np.hypot(inside[:, 0] - 0.5, inside[:, 1]) > 5]
    outside = np.array([[14.0, 3.1], [15.2, -2.7], [-13.1, 12.3]])
    vertices = np.vstack((outer, hole, island, inside, outside))
    segments = np.vstack((closed(0, 30), closed(30, 12), closed(42, 6), [[len(vertices) - 3, len(vertices) - 2]]))
    if wide:
        vertices, segments = vertices[:-3], segments[:-1]
    return {"vertices": vertices, "segments": segments, "holes": [[0.5 + 2.5, 0.0]],
            "regions": [[0.0, 7.0, 5.0, 0.0], [0.5, 0.0, 9.0, 0.0]]}


@pytest.mark.parametrize("opts", ["p", "pc", "pA", "pcAn", "pe", "pn", "", "c", "ne", "pD"])
def test_same_mesh_as_triangle(tmp_path, opts):
    for seed in (1, 2):
        tri = rings_and_points(seed)
        ours = triangle.triangulate(tri, opts)
        theirs = run_triangle(tmp_path, tri, opts)
        if "D" in opts and len(theirs["vertices"]) != len(ours["vertices"]):
            continue  # conforming: the points either adds are their own choice
        same_mesh(ours, theirs)
        assert ours["triangles"].dtype == np.int32 and ours["vertices"].dtype == np.float64
        if "p" in opts:
            assert "holes" in ours and "regions" in ours


def test_p_without_enclosing_segments_eats_everything(tmp_path):
    tri = {"vertices": [[0, 0], [4, 0], [4, 4], [0, 4.1], [1, 2], [3, 2.1]], "segments": [[4, 5]]}
    assert "triangles" not in triangle.triangulate(tri, "p")
    assert "triangles" not in run_triangle(tmp_path, tri, "p")
    same_mesh(triangle.triangulate(tri, "pc"), run_triangle(tmp_path, tri, "pc"))


def marked_square():
    """A square with a square hole, markers on the right side (3) and on the
    hole (5), an unmarked segment inside, and one vertex marked 9."""
    vertices = [[0, 0], [4, 0.1], [4.2, 4], [0, 3.9], [1, 1.05], [3, 0.95], [3.1, 3], [1.05, 3.1], [2, 0.45],
                [3.55, 2.2]]
    segments = [[0, 1], [1, 2], [2, 3], [3, 0], [4, 5], [5, 6], [6, 7], [7, 4], [8, 5]]
    return {"vertices": vertices, "segments": segments, "segment_markers": [[0], [3], [0], [0], [5], [5], [5], [5], [0]],
            "vertex_markers": [[0]] * 9 + [[9]], "holes": [[2, 2]]}  # in general position


@pytest.mark.parametrize("opts", ["p", "pc", "pe", "pq30a0.05"])
def test_markers_as_triangle(tmp_path, opts):
    tri = marked_square()
    ours = triangle.triangulate(tri, opts)
    theirs = run_triangle(tmp_path, tri, opts)
    if "q" not in opts:
        same_mesh(ours, theirs)
        return
    # Refined: each piece keeps the marker of the segment it lies on (1 for
    # the unmarked boundary), and points added on a segment take it too,
    # as Triangle gives them.
    v = ours["vertices"]
    for (a, b), marker in zip(ours["segments"].tolist(), ours["segment_markers"][:, 0].tolist()):
        mid = (v[a] + v[b]) / 2
        owners = [k for k, (p, q) in enumerate(tri["segments"])
                  if abs(np.cross(np.subtract(tri["vertices"][q], tri["vertices"][p]), mid - tri["vertices"][p])) < 1e-12
                  and min(tri["vertices"][p][0], tri["vertices"][q][0]) - 1e-12 <= mid[0]
                  <= max(tri["vertices"][p][0], tri["vertices"][q][0]) + 1e-12
                  and min(tri["vertices"][p][1], tri["vertices"][q][1]) - 1e-12 <= mid[1]
                  <= max(tri["vertices"][p][1], tri["vertices"][q][1]) + 1e-12]
        assert len(owners) == 1
        expected = tri["segment_markers"][owners[0]][0] or (1 if owners[0] < 4 else 0)
        assert marker == expected
        for end in (a, b):
            if end >= len(tri["vertices"]):
                assert ours["vertex_markers"][end, 0] == expected
    counts = lambda d: sorted(np.unique(d["segment_markers"], return_counts=True)[0].tolist())  # noqa: E731
    assert counts(ours) == counts(theirs)


@needs_refinement
@pytest.mark.parametrize("opts, angle, area", [("pq", 20, None), ("pq30a0.5", 30, 0.5), ("pq33", 33, None),
                                               ("q25a2", 25, 2.0), ("pq28aA", 28, None)])
def test_refinement_switches_meet_their_bounds(opts, angle, area):
    tri = rings_and_points(3, wide=True)
    tri["regions"] = [[0.0, 7.0, 5.0, 0.3], [0.5, 0.0, 9.0, -1.0]]
    out = triangle.triangulate(tri, opts)
    n = len(tri["vertices"])
    assert np.array_equal(out["vertices"][:n], tri["vertices"]) and len(out["vertices"]) > n
    points, triangles = out["vertices"], out["triangles"]
    # The input has no angle below the bounds (segments meet at 90 degrees
    # or more, the hull is the outer ring's), so every angle meets them.
    assert triangle_angles(points, triangles).min() >= angle - 1e-9
    areas = triangle_areas(points, triangles)
    assert areas.min() > 0
    if area is not None:
        assert areas.max() <= area * (1 + 1e-12)
    if opts.endswith("aA"):  # bare a: the first region's own bound, where its attribute is
        assert areas[out["triangle_attributes"][:, 0] == 5.0].max() <= 0.3 * (1 + 1e-12)
    if "p" in opts:  # every segment a chain of segment edges
        assert_segments_are_chains(SimpleNamespace(points=points, segments=out["segments"]), tri["segments"])


def test_unsupported_switches_and_keys_are_named():
    tri = {"vertices": [[0, 0], [1, 0], [0, 1]]}
    for opts, name in (("pr", "'r'"), ("o2", "'o'"), ("pY", "'Y'"), ("x", "'x'"), ("S", "'S'")):
        with pytest.raises(ValueError, match=name):
            triangle.triangulate(tri, opts)
    with pytest.raises(ValueError, match="greater than zero"):
        triangle.triangulate(tri, "a0")
    with pytest.raises(ValueError, match="vertex_attributes"):
        triangle.triangulate(dict(tri, vertex_attributes=[[1], [2], [3]]), "")
    with pytest.raises(ValueError, match="three vertices"):
        triangle.triangulate({"vertices": [[0, 0], [1, 0]]}, "")
    with pytest.raises(ValueError, match="segments"):
        triangle.triangulate(dict(tri, segments=[0, 1, 2]), "p")
    with pytest.raises(ValueError, match="segment_markers has 2 rows"):
        triangle.triangulate(dict(tri, segments=[[0, 1]], segment_markers=[1, 2]), "p")
