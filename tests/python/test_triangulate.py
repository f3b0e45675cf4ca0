"""Tests of the Python package's triangulate(), with pytest.

Run against the installed package (pip install ./bindings/python, then
pytest from any folder), or against a source checkout with
PYTHONPATH=bindings/python and DELAUNAY2D_LIBRARY set to a built library.
scipy.spatial.Delaunay is the oracle on points in general position;
exact fractions everywhere else, on every input of tests/fixtures (found
through DELAUNAY2D_FIXTURES, else beside this file's folder).
"""

import gc
import math
import os
import re
from fractions import Fraction
from pathlib import Path

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
    """Repeats, non-finite, collinear and cocircular points are fixtures
    (TestFixtures); these are the inputs too small for a file."""

    @pytest.mark.parametrize("points, hull", [(np.empty((0, 2)), []), ([(1.0, 2.0)], [0])])
    def test_no_point_or_one_give_no_triangles(self, points, hull):
        tri = delaunay2d.triangulate(points)
        assert tri.simplices.shape == (0, 3) and tri.neighbors.shape == (0, 3)
        assert tri.convex_hull.shape == (0, 2)
        assert tri.hull.tolist() == hull


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


FIXTURES = Path(os.environ.get("DELAUNAY2D_FIXTURES") or Path(__file__).resolve().parent.parent / "fixtures")
FIXTURE_FILES = sorted(FIXTURES.glob("*.csv"))  # the top level only: subfolders are other tests' inputs


def read_fixture(path):
    """The points of a fixture file: "x,y" per line, "#" starts a comment."""
    rows = [line.split(",") for line in path.read_text().splitlines() if line.strip() and not line.startswith("#")]
    return np.array([(float(x), float(y)) for x, y in rows], dtype=np.float64).reshape(-1, 2)


def sign(value):
    return (value > 0) - (value < 0)


def orient_exact(q, a, b, c):
    """Sign of the turn a -> b -> c, on the points as fractions."""
    (ax, ay), (bx, by), (cx, cy) = q[a], q[b], q[c]
    return sign((bx - ax) * (cy - ay) - (by - ay) * (cx - ax))


def incircle_exact(q, a, b, c, d):
    """1 when d lies inside the circle through the counter-clockwise a, b,
    c, 0 on it, -1 outside."""
    dx, dy = q[d]
    rows = [(x - dx, y - dy) for x, y in (q[a], q[b], q[c])]
    (a1, a2), (b1, b2), (c1, c2) = rows
    a3, b3, c3 = (u * u + v * v for u, v in rows)
    return sign(a1 * (b2 * c3 - b3 * c2) - a2 * (b1 * c3 - b3 * c1) + a3 * (b1 * c2 - b2 * c1))


# Whether a predicate's floating-point value is far from zero (a millionth
# of its terms' size): where Qhull, which decides in floating point, can be
# trusted to find the same triangles.
def orient_clear(xy, a, b, c):
    (ax, ay), (bx, by), (cx, cy) = xy[a], xy[b], xy[c]
    left, right = (bx - ax) * (cy - ay), (by - ay) * (cx - ax)
    return math.isfinite(left - right) and abs(left - right) > 1e-6 * (abs(left) + abs(right)) > 1e-250


def incircle_clear(xy, a, b, c, d):
    dx, dy = xy[d]
    (adx, ady), (bdx, bdy), (cdx, cdy) = ((xy[i][0] - dx, xy[i][1] - dy) for i in (a, b, c))
    lifts = [u * u + v * v for u, v in ((adx, ady), (bdx, bdy), (cdx, cdy))]
    minors = [(bdx * cdy, cdx * bdy), (cdx * ady, adx * cdy), (adx * bdy, bdx * ady)]
    det = sum(lift * (p - q) for lift, (p, q) in zip(lifts, minors))
    size = sum(lift * (abs(p) + abs(q)) for lift, (p, q) in zip(lifts, minors))
    return math.isfinite(size) and abs(det) > 1e-6 * size > 1e-250


def first_copies(points):
    """vertex_of_point as promised: the first record at the same x and y
    (-0 is 0), -1 for a NaN or infinite coordinate."""
    first, out = {}, []
    for i, (x, y) in enumerate(points.tolist()):
        out.append(first.setdefault((x + 0.0, y + 0.0), i) if math.isfinite(x) and math.isfinite(y) else -1)
    return out


def test_the_fixture_folder_is_found():
    assert len(FIXTURE_FILES) >= 30, FIXTURES


class TestFixtures:
    """Every input of tests/fixtures, each kept because it caught a fault,
    checked exactly; compared with scipy where the answer is unique and
    clear enough for Qhull's floating point."""

    @pytest.mark.parametrize("path", FIXTURE_FILES, ids=lambda p: p.stem)
    def test_exact_and_as_scipy_where_determined(self, path):
        points = read_fixture(path)
        tri = delaunay2d.triangulate(points)
        expected = first_copies(points)
        np.testing.assert_array_equal(tri.vertex_of_point, expected)
        distinct = [i for i, v in enumerate(expected) if v == i]
        xy = points.tolist()
        simplices, neighbors, hull = tri.simplices.tolist(), tri.neighbors.tolist(), tri.hull.tolist()

        if not simplices:  # fewer than three distinct points, or all on one line
            q = {i: (Fraction(xy[i][0]), Fraction(xy[i][1])) for i in distinct}
            assert all(orient_exact(q, *distinct[:2], k) == 0 for k in distinct[2:])
            along = sorted(distinct, key=lambda i: xy[i])
            assert hull in (along, along[::-1])
            return

        # Counter-clockwise triangles over exactly the distinct points,
        # neighbours across each edge and mutual, every shared edge locally
        # Delaunay, the hull the one convex cycle of boundary edges: with
        # the count of triangles, a Delaunay triangulation of the points.
        q = {i: (Fraction(xy[i][0]), Fraction(xy[i][1])) for i in distinct}
        assert {v for t in simplices for v in t} == set(distinct)
        clear = True
        edges = {}
        for t, triangle in enumerate(simplices):
            assert orient_exact(q, *triangle) > 0, triangle
            clear = clear and orient_clear(xy, *triangle)
            for k in range(3):
                edges[(triangle[(k + 1) % 3], triangle[(k + 2) % 3])] = (t, k)
        unique = True
        for (u, w), (t, k) in edges.items():
            other = edges.get((w, u))
            assert neighbors[t][k] == (-1 if other is None else other[0])
            if other is not None:
                apex = simplices[other[0]][other[1]]
                side = incircle_exact(q, *simplices[t], apex)
                assert side <= 0, (simplices[t], apex)
                unique = unique and side < 0
                clear = clear and incircle_clear(xy, *simplices[t], apex)
        boundary = {u: w for (u, w) in edges if (w, u) not in edges}
        assert len(hull) == len(boundary)
        assert all(boundary[hull[i]] == hull[(i + 1) % len(hull)] for i in range(len(hull)))
        assert len(simplices) == 2 * len(distinct) - 2 - len(hull)
        turns = [orient_exact(q, hull[i - 2], hull[i - 1], hull[i]) for i in range(len(hull))]
        assert min(turns) >= 0, "the hull turns inwards"
        # A hull vertex on the line of its neighbours Qhull would drop.
        clear = clear and all(orient_clear(xy, hull[i - 2], hull[i - 1], hull[i]) for i in range(len(hull)))

        # Repeats and non-finite points change nothing but vertex_of_point.
        back = np.array(distinct)
        if len(distinct) < len(points):
            alone = delaunay2d.triangulate(points[back])
            assert links(back[alone.simplices], alone.neighbors) == links(tri.simplices, tri.neighbors)

        magnitude = np.abs(points[back]).max()
        with np.errstate(over="ignore"):  # a span wider than the largest double is infinite
            span = np.ptp(points[back], axis=0).min()
        if unique and clear and 1e-100 < magnitude < 1e100 and span > 1e-3 * magnitude:
            oracle = Delaunay(points[back])
            assert links(back[oracle.simplices], oracle.neighbors) == links(tri.simplices, tri.neighbors)
