"""Tests of the package's scipy-style queries, interpolators and Voronoi
diagram, with pytest; scipy is the oracle on points in general position,
exact rational arithmetic (fractions) and defining properties elsewhere."""

from fractions import Fraction

import numpy as np
import pytest
import scipy.interpolate as si
from scipy.spatial import Delaunay
from scipy.spatial import Voronoi as ScipyVoronoi

import delaunay2d


@pytest.fixture(scope="module")
def data():
    rng = np.random.default_rng(7)
    points = rng.random((400, 2))
    values = np.sin(5 * points[:, 0]) * points[:, 1]
    queries = rng.random((2000, 2)) * 1.3 - 0.15
    return points, values, queries


def orient(a, b, c):
    a, b, c = ([Fraction(float(v)) for v in p] for p in (a, b, c))
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])


def test_find_simplex_is_exact_on_vertices_edges_and_outside():
    rng = np.random.default_rng(3)
    grid = np.array([(i, j) for i in range(8) for j in range(8)], dtype=float)[rng.permutation(64)]
    tri = delaunay2d.triangulate(grid)
    xi = np.vstack([grid, grid[:40] + 0.5, rng.random((100, 2)) * 10 - 1.5])
    found = tri.find_simplex(xi)
    for q, t in zip(xi, found):
        holds = [all(orient(grid[s[k]], grid[s[(k + 1) % 3]], q) >= 0 for k in range(3)) for s in tri.simplices]
        assert (holds[t] if t >= 0 else not any(holds)), (q, t)
    assert tri.find_simplex(xi.reshape(2, -1, 2)).shape == (2, len(xi) // 2)


def test_scipy_attributes(data):
    points, _, queries = data
    tri, ref = delaunay2d.triangulate(points), Delaunay(points)
    assert (tri.npoints, tri.nsimplex, len(tri)) == (ref.npoints, ref.nsimplex, ref.nsimplex)
    assert np.array_equal(tri.find_simplex(queries) >= 0, ref.find_simplex(queries) >= 0)
    indptr, indices = tri.vertex_neighbor_vertices
    rptr, rind = ref.vertex_neighbor_vertices
    for k in range(len(points)):
        assert sorted(indices[indptr[k]:indptr[k + 1]]) == sorted(rind[rptr[k]:rptr[k + 1]])
    v2s = tri.vertex_to_simplex
    assert all(k in tri.simplices[v2s[k]] for k in range(len(points)))
    # transform: the barycentric coordinates of each vertex are a unit vector.
    T = tri.transform
    for corner in range(3):
        x = points[tri.simplices[:, corner]]
        c = np.einsum("ijk,ik->ij", T[:, :2], x - T[:, 2])
        bary = np.column_stack([c, 1 - c.sum(axis=1)])
        assert np.allclose(bary, np.eye(3)[corner], atol=1e-9)


def test_coplanar_lists_repeats_in_scipys_layout():
    points = np.array([[0, 0], [1, 0], [0, 1], [1, 0], [1, 1], [0, 0]], dtype=float)
    tri = delaunay2d.triangulate(points)
    cop = tri.coplanar
    assert cop[:, 0].tolist() == [3, 5] and cop[:, 2].tolist() == [1, 0]
    assert all(row[2] in tri.simplices[row[1]] for row in cop)


@pytest.mark.parametrize("ours, theirs", [(delaunay2d.LinearNDInterpolator, si.LinearNDInterpolator),
                                          (delaunay2d.NearestNDInterpolator, si.NearestNDInterpolator)])
def test_interpolators_match_scipy(data, ours, theirs):
    points, values, queries = data
    a, b = ours(points, values)(queries), theirs(points, values)(queries)
    assert np.array_equal(np.isnan(a), np.isnan(b))
    assert np.allclose(a[~np.isnan(a)], b[~np.isnan(b)], rtol=0, atol=1e-12)
    # x, y call form, several values per point, a Triangulation as input
    X, Y = np.meshgrid(np.linspace(0, 1, 9), np.linspace(0, 1, 7))
    assert np.allclose(ours(points, values)(X, Y), theirs(points, values)(X, Y), equal_nan=True)
    stacked = np.column_stack([values, 2 * values])
    assert ours(points, stacked)(X, Y).shape == (7, 9, 2)
    if ours is delaunay2d.LinearNDInterpolator:
        tri = delaunay2d.triangulate(points)
        assert np.allclose(ours(tri, values, fill_value=-1)(queries), theirs(points, values, fill_value=-1)(queries))


@pytest.mark.parametrize("method", ["linear", "nearest"])
def test_griddata_matches_scipy(data, method):
    points, values, _ = data
    X, Y = np.mgrid[-0.1:1.1:20j, -0.1:1.1:30j]
    for pts in (points, (points[:, 0], points[:, 1]), np.column_stack([points, values])):
        ours = delaunay2d.griddata(pts, values, (X, Y), method=method, fill_value=-2.0)
        ref = si.griddata(points, values, (X, Y), method=method, fill_value=-2.0)
        assert np.allclose(ours, ref, atol=1e-12)


def test_natural_neighbour_properties(data):
    points, values, queries = data
    linear = 2 * points[:, 0] - 3 * points[:, 1] + 0.5
    f = delaunay2d.NaturalNeighborInterpolator(points, linear)
    expected = 2 * queries[:, 0] - 3 * queries[:, 1] + 0.5
    got = f(queries)
    inside = delaunay2d.triangulate(points).find_simplex(queries) >= 0
    assert np.array_equal(np.isnan(got), ~inside)
    assert np.allclose(got[inside], expected[inside], atol=1e-12)
    assert np.array_equal(delaunay2d.NaturalNeighborInterpolator(points, values)(points), values)
    # the worked example of the C tests: weights 9/16, 3/16, 1/16, 3/16
    square = np.array([[0, 0], [2, 0], [2, 2], [0, 2]], dtype=float)
    assert delaunay2d.griddata(square, [1, 2, 3, 4], np.array([[0.5, 0.5]]), method="natural")[0] == pytest.approx(1.875)


def test_voronoi_matches_scipy(data):
    points = data[0]
    ours, ref = delaunay2d.Voronoi(points), ScipyVoronoi(points)
    assert {frozenset(r) for r in ours.ridge_points.tolist()} == {frozenset(r) for r in ref.ridge_points.tolist()}
    # the same vertices (scipy merges none in general position)
    a = np.array(sorted(map(tuple, np.round(ours.vertices, 9))))
    b = np.array(sorted(map(tuple, np.round(ref.vertices, 9))))
    assert np.allclose(a, b)
    for i in range(len(points)):
        mine, theirs = ours.regions[ours.point_region[i]], ref.regions[ref.point_region[i]]
        assert (-1 in mine) == (-1 in theirs)
        assert {tuple(np.round(ours.vertices[v], 9)) for v in mine if v >= 0} == \
            {tuple(np.round(ref.vertices[v], 9)) for v in theirs if v >= 0}
    for (p, q), (u, v) in zip(ours.ridge_points, ours.ridge_vertices):
        assert u == -1 or u >= 0 and v >= 0


def polygon_area(c):
    return 0.5 * np.sum(c[:, 0] * np.roll(c[:, 1], -1) - np.roll(c[:, 0], -1) * c[:, 1])


@pytest.mark.parametrize("points", [
    np.random.default_rng(5).random((200, 2)),
    np.array([[0.1 * i, 0.3 * i] for i in range(6)] + [[0.2, 0.6]]),   # collinear, one repeat
    np.array([[0.5, 0.5], [0.5, 0.5], [0.2, 0.9], [0.9, 0.1]]),
])
def test_cell_polygons_tile_the_box(points):
    bbox = (-0.5, -1.0, 2.0, 2.5)
    cells = delaunay2d.Voronoi(points).cell_polygons(bbox)
    areas = [polygon_area(c) for c in cells if len(c)]
    assert all(a > 0 for a in areas)  # counter-clockwise
    assert sum(areas) == pytest.approx(2.5 * 3.5, rel=1e-12)
    for i, c in enumerate(cells):
        for x in c:
            d = np.hypot(*(points - x).T)
            assert d[i] <= d.min() + 1e-12
    first = {tuple(p): i for i, p in reversed(list(enumerate(map(tuple, points))))}
    for i, p in enumerate(map(tuple, points)):
        assert (len(cells[i]) == 0) == (first[p] != i)
