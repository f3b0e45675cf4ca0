"""Tests of the Python package's triangulate(), with pytest.

Run against the installed package (pip install ./bindings/python, then
pytest from any folder), or against a source checkout with
PYTHONPATH=bindings/python and DELAUNAY2D_LIBRARY set to a built library.
scipy.spatial.Delaunay is the oracle on points in general position.
"""

import gc
import re
from fractions import Fraction

import numpy as np
import pytest
from scipy.spatial import Delaunay

import delaunay2d
from delaunay2d import _library


def uniform(n, seed):
    return np.random.default_rng(seed).random((n, 2))


def clusters(n, seed):
    rng = np.random.default_rng(seed)
    centres = rng.random((8, 2)) * 100.0
    return centres[rng.integers(0, 8, n)] + rng.normal(scale=0.5, size=(n, 2))


def far_from_origin(n, seed):
    """A small square a long way off: the low bits of every coordinate
    decide, which scipy's Qhull gets wrong (its meshes are not Delaunay
    there), so these are checked exactly instead."""
    return uniform(n, seed) * 1e3 + np.array([1e6, -3e6])


FAMILIES = {"uniform": uniform, "clusters": clusters}


def links(simplices, neighbors):
    """{triangle: {vertex: neighbour opposite that vertex, or None}}, with
    triangles as vertex sets, so that two triangulations compare whatever
    their order of triangles and of vertices within a triangle."""
    keys = [frozenset(int(v) for v in t) for t in simplices]
    return {
        keys[t]: {int(v): (keys[n] if n >= 0 else None) for v, n in zip(simplices[t], neighbors[t])}
        for t in range(len(simplices))
    }


def exact(points, i):
    return Fraction(float(points[i, 0])), Fraction(float(points[i, 1]))


def orientation(points, a, b, c):
    """Exact sign of the turn a -> b -> c."""
    (ax, ay), (bx, by), (cx, cy) = (exact(points, i) for i in (a, b, c))
    value = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax)
    return (value > 0) - (value < 0)


def inside_circumcircle(points, a, b, c, d):
    """Exactly: d lies strictly inside the circle through the
    counter-clockwise triangle a, b, c."""
    dx, dy = exact(points, d)
    rows = []
    for i in (a, b, c):
        x, y = exact(points, i)
        x, y = x - dx, y - dy
        rows.append((x, y, x * x + y * y))
    (a1, a2, a3), (b1, b2, b3), (c1, c2, c3) = rows
    return a1 * (b2 * c3 - b3 * c2) - a2 * (b1 * c3 - b3 * c1) + a3 * (b1 * c2 - b2 * c1) > 0


class TestAgainstScipy:
    @pytest.mark.parametrize("family", sorted(FAMILIES))
    @pytest.mark.parametrize("n", [3, 10, 500, 4000])
    def test_same_triangles_and_neighbours(self, family, n):
        points = FAMILIES[family](n, seed=n)
        ours = delaunay2d.triangulate(points)
        oracle = Delaunay(points)
        assert ours.simplices.dtype == np.int32 and ours.neighbors.dtype == np.int32
        assert links(ours.simplices, ours.neighbors) == links(oracle.simplices, oracle.neighbors)
        assert {frozenset(e) for e in ours.convex_hull.tolist()} == \
               {frozenset(e) for e in oracle.convex_hull.tolist()}
        np.testing.assert_array_equal(ours.vertex_of_point, np.arange(n))

    @pytest.mark.parametrize("family", sorted(FAMILIES) + ["far_from_origin"])
    def test_counter_clockwise_linked_both_ways_and_delaunay_exactly(self, family):
        points = {"far_from_origin": far_from_origin, **FAMILIES}[family](1500, seed=7)
        tri = delaunay2d.triangulate(points)
        simplices, neighbors = tri.simplices.tolist(), tri.neighbors.tolist()
        assert all(orientation(points, *t) > 0 for t in simplices)
        for t, (triangle, across) in enumerate(zip(simplices, neighbors)):
            for k, n in enumerate(across):
                if n < 0:
                    continue
                shared = set(triangle) - {triangle[k]}
                assert t in neighbors[n] and shared < set(simplices[n])
                opposite = neighbors[n].index(t)
                assert not inside_circumcircle(points, *triangle, simplices[n][opposite])
        hull = tri.hull.tolist()
        assert all(orientation(points, hull[i - 2], hull[i - 1], hull[i]) > 0 for i in range(len(hull)))
        assert len(simplices) == 2 * len(points) - 2 - len(hull)


class TestInputs:
    def test_contiguous_float64_is_read_in_place(self):
        xy = uniform(100, seed=1)
        xyzw = np.column_stack((xy, np.zeros((100, 2))))
        for array in (xy, xyzw, xyzw[:, :2], xyzw[::3]):
            assert np.shares_memory(delaunay2d.triangulate(array).points, array)

    def test_every_form_of_the_same_points_gives_the_same_mesh(self):
        xy = np.round(uniform(300, seed=2) * 1000.0)  # exact in float32 and as integers
        reference = delaunay2d.triangulate(xy)
        expected = links(reference.simplices, reference.neighbors)
        forms = {
            "list of tuples": [tuple(p) for p in xy.tolist()],
            "x y z w": np.column_stack((xy, np.ones((300, 2)))),
            "float32": xy.astype(np.float32),
            "int64": xy.astype(np.int64),
            "Fortran order": np.asfortranarray(xy),
            "big-endian": xy.astype(">f8"),
            "every other row of a larger array": np.repeat(xy, 2, axis=0)[::2],
        }
        for name, form in forms.items():
            tri = delaunay2d.triangulate(form)
            assert links(tri.simplices, tri.neighbors) == expected, name

    @pytest.mark.parametrize("bad", [
        np.zeros(6), np.zeros((5, 5)), np.zeros((5, 2, 1)), np.zeros((2, 5)), "points",
        [[0.0, 1.0], [2.0]], [["a", "b"], ["c", "d"], ["e", "f"]], np.zeros((4, 2), dtype=complex), 3.0,
        # a missing value, which numpy alone would turn into NaN
        [[0.0, 0.0], [1.0, None], [0.0, 1.0]], np.array([[0, 0], [1, None], [0, 1]], dtype=object),
        # an integer beyond the range of a double (OverflowError in numpy)
        [[10**400, 0], [1, 0], [0, 1]],
    ])
    def test_other_shapes_and_non_numbers_raise_value_error(self, bad):
        with pytest.raises(ValueError):
            delaunay2d.triangulate(bad)

    @pytest.mark.parametrize("rows", [134217665, 2**40])
    def test_too_many_points_raise_value_error_before_any_copy(self, rows):
        # A broadcast view takes no memory; a copy of it would take 2 GB
        # (or, for 2**40 rows, more than any machine has: MemoryError).
        view = np.broadcast_to(np.zeros(2), (rows, 2))
        with pytest.raises(ValueError, match="too many points"):
            delaunay2d.triangulate(view)

    @pytest.mark.parametrize("threads", [-1, 2**32, 1.5, "2", None, True, False, np.bool_(True)])
    def test_bad_thread_counts_raise_value_error(self, threads):
        with pytest.raises(ValueError):
            delaunay2d.triangulate(uniform(10, seed=3), threads=threads)

    def test_the_thread_count_does_not_change_the_result(self):
        points = clusters(100000, seed=4)
        one = delaunay2d.triangulate(points, threads=1)
        for threads in (0, 2, 3):
            other = delaunay2d.triangulate(points, threads=threads)
            for name in ("simplices", "neighbors", "hull", "vertex_of_point"):
                np.testing.assert_array_equal(getattr(other, name), getattr(one, name))
        # The count as the second positional argument, as before segments.
        with pytest.warns(DeprecationWarning):
            positional = delaunay2d.triangulate(points, 2)
        np.testing.assert_array_equal(positional.simplices, one.simplices)


class TestDegenerateInputs:
    def test_repeated_and_non_finite_points_stand_for_first_copies_or_nothing(self):
        distinct = uniform(50, seed=5)
        points = np.concatenate((distinct, distinct[[7, 3]], [[np.nan, 0.0], [0.5, np.inf]], distinct[[7]]))
        tri = delaunay2d.triangulate(points)
        np.testing.assert_array_equal(tri.vertex_of_point, list(range(50)) + [7, 3, -1, -1, 7])
        alone = delaunay2d.triangulate(distinct)
        assert links(tri.simplices, tri.neighbors) == links(alone.simplices, alone.neighbors)

    def test_positive_and_negative_zero_are_one_point(self):
        tri = delaunay2d.triangulate([(0.0, 0.0), (1.0, 0.0), (0.0, 1.0), (-0.0, -0.0)])
        np.testing.assert_array_equal(tri.vertex_of_point, [0, 1, 2, 0])
        assert len(tri.simplices) == 1

    @pytest.mark.parametrize("points, hull", [
        (np.empty((0, 2)), []),
        ([(1.0, 2.0)], [0]),
        ([(1.0, 2.0), (1.0, 2.0), (3.0, 4.0)], [0, 2]),
        ([(2.0, 2.0), (0.0, 0.0), (3.0, 3.0), (1.0, 1.0)], [1, 3, 0, 2]),
    ])
    def test_fewer_than_three_distinct_or_collinear_points_give_no_triangles(self, points, hull):
        tri = delaunay2d.triangulate(points)
        assert tri.simplices.shape == (0, 3) and tri.neighbors.shape == (0, 3)
        assert tri.convex_hull.shape == (0, 2)
        assert tri.hull.tolist() in (hull, hull[::-1])


class TestBoundary:
    def test_prints_nothing(self, capfd):
        delaunay2d.triangulate(uniform(5000, seed=6))
        delaunay2d.triangulate([(0.0, 0.0), (1.0, 1.0)])
        assert capfd.readouterr() == ("", "")

    def test_arrays_outlive_the_triangulation_object(self):
        tri = delaunay2d.triangulate(uniform(2000, seed=8))
        names = ("simplices", "neighbors", "hull", "vertex_of_point")
        kept = {name: getattr(tri, name) for name in names}
        copies = {name: array.copy() for name, array in kept.items()}
        del tri
        gc.collect()
        for _ in range(5):  # reuse freed memory, if it were freed
            delaunay2d.triangulate(uniform(2000, seed=9))
        for name in names:
            np.testing.assert_array_equal(kept[name], copies[name], err_msg=name)

    @pytest.mark.parametrize("status, error", [
        (_library.OUT_OF_MEMORY, MemoryError),
        (_library.TOO_MANY_POINTS, ValueError),
        (_library.INVALID_ARGUMENT, ValueError),
    ])
    def test_failure_statuses_become_python_exceptions(self, monkeypatch, status, error):
        real = _library.load()

        class FailingLibrary:
            def delaunay2d_triangulate(self, *args):
                return status

            def __getattr__(self, name):
                return getattr(real, name)

        monkeypatch.setattr(_library, "load", FailingLibrary)
        with pytest.raises(error, match=re.escape("delaunay2d: " + real.delaunay2d_status_message(status).decode())):
            delaunay2d.triangulate(uniform(10, seed=10))

    def test_version_is_the_packages(self):
        assert delaunay2d.version() == delaunay2d.__version__
