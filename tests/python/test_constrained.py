"""Tests of triangulate() with segments, holes and regions, with pytest,
checked by an exact reader of the result in Python's own rationals."""

from fractions import Fraction

import numpy as np
import pytest

import delaunay2d


def orient(p, q, r):
    p, q, r = ([Fraction(float(c)) for c in v] for v in (p, q, r))
    return (q[0] - p[0]) * (r[1] - p[1]) - (q[1] - p[1]) * (r[0] - p[0])


def incircle(a, b, c, d):
    rows = []
    for v in (a, b, c):
        x, y = Fraction(float(v[0])) - Fraction(float(d[0])), Fraction(float(v[1])) - Fraction(float(d[1]))
        rows.append((x, y, x * x + y * y))
    (a1, a2, a3), (b1, b2, b3), (c1, c2, c3) = rows
    return a1 * (b2 * c3 - b3 * c2) - a2 * (b1 * c3 - b3 * c1) + a3 * (b1 * c2 - b2 * c1)


def check(tri):
    """Counter-clockwise triangles, neighbours opposite each vertex and
    mutual, flags equal on both sides and on exactly the listed segment
    edges, every other shared edge locally Delaunay."""
    p, s, nb, con = tri.points, tri.simplices, tri.neighbors, tri.constrained
    listed = {frozenset(e) for e in tri.segments.tolist()}
    edges = {}
    for t, (a, b, c) in enumerate(s.tolist()):
        assert orient(p[a], p[b], p[c]) > 0
        for k in range(3):
            u, w = s[t, (k + 1) % 3], s[t, (k + 2) % 3]
            edges[(u, w)] = (t, k)
            assert bool(con[t, k]) == (frozenset((u, w)) in listed)
    for (u, w), (t, k) in edges.items():
        other = edges.get((w, u))
        assert nb[t, k] == (-1 if other is None else other[0])
        if other is not None:
            assert con[t, k] == con[other[0], other[1]]
            if not con[t, k]:
                apex = s[other[0], other[1]]
                a, b, c = s[t]
                assert incircle(p[a], p[b], p[c], p[apex]) <= 0
    return edges


def area2(tri):
    return sum(orient(*tri.points[v]) for v in tri.simplices)


def ring(n, radius, centre=(0.0, 0.0)):
    angles = np.linspace(0, 2 * np.pi, n, endpoint=False)
    return np.column_stack((centre[0] + radius * np.cos(angles), centre[1] + radius * np.sin(angles)))


def shoelace(points):
    return sum(orient((0.0, 0.0), points[i], points[(i + 1) % len(points)]) for i in range(len(points)))


def closed(first, n):
    return np.column_stack((np.arange(first, first + n), np.roll(np.arange(first, first + n), -1)))


def test_segment_across_the_delaunay_diagonal_becomes_an_edge():
    tri = delaunay2d.triangulate([[0, 0], [10, 0], [5, 1], [5, -1]], [[0, 1]])
    edges = check(tri)
    assert (0, 1) in edges or (1, 0) in edges
    assert tri.segments.tolist() in ([[0, 1]], [[1, 0]])
    assert tri.constrained.sum() == 2


def test_polygon_with_hole_inside_and_hole_points():
    outer, hole = ring(40, 10.0), ring(12, 3.0, (1.0, 0.5))
    rng = np.random.default_rng(3)
    inner = rng.uniform(-6, 6, (200, 2))
    points = np.vstack((outer, hole, inner))
    segments = np.vstack((closed(0, 40), closed(40, 12)))
    tri = delaunay2d.triangulate(points, segments, region="inside")
    check(tri)
    assert area2(tri) == shoelace(outer) - shoelace(hole)
    assert (tri.neighbors == -1).sum() == 40 + 12
    # Region hull with a hole point gives the same region here (the outer
    # ring is convex).
    holed = delaunay2d.triangulate(points, segments, holes=[[1.0, 0.5]], region="hull", threads=1)
    check(holed)
    assert area2(holed) == area2(tri)


def test_crossing_segments_add_points_after_the_input():
    points = np.array([[0, 0], [1, 1], [0, 1], [1, 0], [0.5, -1], [0.5, 2]])
    tri = delaunay2d.triangulate(points, np.array([[0, 1], [2, 3], [4, 5]]))
    check(tri)
    assert len(tri.points) > 6
    assert np.array_equal(tri.points[:6], points)
    assert [0.5, 0.5] in tri.points[6:].tolist()


def test_bad_segments_name_the_segment():
    points = np.array([[0, 0], [1, 0], [0, 1], [np.nan, 0]])
    with pytest.raises(ValueError, match="segment 1 names point 7"):
        delaunay2d.triangulate(points, [[0, 1], [2, 7]])
    with pytest.raises(ValueError, match="segment 0 names point 3"):
        delaunay2d.triangulate(points, [[3, 1]])
    with pytest.raises(ValueError, match="segments must have shape"):
        delaunay2d.triangulate(points, [0, 1])
    with pytest.raises(ValueError, match="region"):
        delaunay2d.triangulate(points, [[0, 1]], region="outside")
    with pytest.raises(ValueError, match="hole 0"):
        delaunay2d.triangulate(points, holes=[[np.inf, 0]])


def test_without_segments_the_flags_are_false():
    tri = delaunay2d.triangulate(np.random.default_rng(1).random((50, 2)))
    assert tri.constrained.shape == tri.simplices.shape and not tri.constrained.any()
    assert tri.segments.shape == (0, 2)


def test_default_region_is_the_inside_of_closed_rings_and_the_hull_of_open_lines():
    # A square ring with two points outside it, and the same with the ring
    # left open (breaklines).
    points = np.array([[0, 0], [1, 0], [1, 1], [0, 1], [2, 2], [-1, 2]], dtype=float)
    ring4, open3 = closed(0, 4), closed(0, 4)[:3]
    for segments, kept in ((ring4, "inside"), (open3, "hull")):
        default = delaunay2d.triangulate(points, segments)
        check(default)
        assert area2(default) == area2(delaunay2d.triangulate(points, segments, region=kept))
    assert area2(delaunay2d.triangulate(points, ring4)) == 2
    # Three segments that only cross one another close a triangle with no
    # cycle among their end points: the rule is the mesh's, not the indices'.
    star = np.array([[0, 0], [4, 1], [4, 0], [0, 1], [1, -2], [2, 3], [9, 9]], dtype=float)
    inside = delaunay2d.triangulate(star, [[0, 1], [2, 3], [4, 5]])
    assert 0 < area2(inside) < area2(delaunay2d.triangulate(star, [[0, 1], [2, 3], [4, 5]], region="hull"))


def test_a_hole_point_on_a_segment_removes_nothing_and_is_named():
    # The square with an inner square: a hole point on the inner square's
    # side, one on a corner, and one inside the inner square.
    outer = np.array([[0, 0], [4, 0], [4, 4], [0, 4]], dtype=float)
    inner = outer / 2 + 1
    points = np.vstack((outer, inner))
    segments = np.vstack((closed(0, 4), closed(4, 4)))
    whole = delaunay2d.triangulate(points, segments, region="hull")
    with pytest.warns(UserWarning, match=r"hole 0 \(1\.5, 1\.0\), hole 1 \(3\.0, 3\.0\) lie on a segment"):
        tri = delaunay2d.triangulate(points, segments, holes=[[1.5, 1.0], [3.0, 3.0]], region="hull")
    assert tri.hole_on_segment_count == 2 and area2(tri) == area2(whole)
    with pytest.warns(UserWarning, match=r"hole 1 \(3\.0, 2\.0\) lies"):
        holed = delaunay2d.triangulate(points, segments, holes=[[2.0, 2.0], [3.0, 2.0]], region="hull")
    assert holed.hole_on_segment_count == 1 and area2(holed) == area2(whole) - 8  # twice the inner area
