"""The package beside scipy on the same inputs, with pytest: griddata and
the interpolators with rescale, the shapes of every form of xi, the errors
for queries that are no points, and scipy.spatial.Delaunay's lifted
attributes. The point sets are in general position, where scipy's
triangles are the library's."""

import numpy as np
import pytest
import scipy.interpolate as si
from scipy.spatial import Delaunay

import delaunay2d

RNG = np.random.default_rng(29)
POINT_SETS = {
    "square": RNG.random((300, 2)),
    # Far from the origin and 300 times wider than tall: rescale changes
    # the triangulation and the nearest points.
    "flat": RNG.random((300, 2)) * [3, 0.01] + [5, -2],
    "tall": RNG.random((300, 2)) * [1, 1e6] - [0, 5e5],
}


@pytest.fixture(params=sorted(POINT_SETS))
def points(request):
    return POINT_SETS[request.param]


def values_at(p):
    lo, hi = p.min(axis=0), p.max(axis=0)
    u = (p - lo) / (hi - lo)
    return np.sin(5 * u[:, 0]) + u[:, 1] ** 2


def grid_over(p, n=25):
    lo, hi = p.min(axis=0), p.max(axis=0)
    pad = 0.05 * (hi - lo)
    return tuple(np.meshgrid(np.linspace(lo[0] - pad[0], hi[0] + pad[0], n), np.linspace(lo[1] - pad[1], hi[1] + pad[1], n)))


def same_answers(ours, ref):
    assert ours.shape == ref.shape
    assert np.array_equal(np.isnan(ours), np.isnan(ref))
    assert np.allclose(ours[~np.isnan(ours)], ref[~np.isnan(ref)], rtol=0, atol=1e-11)


@pytest.mark.parametrize("method", ["linear", "nearest"])
def test_rescale_matches_scipy(points, method):
    values, xi = values_at(points), grid_over(points)
    for rescale in (False, True):
        same_answers(delaunay2d.griddata(points, values, xi, method=method, rescale=rescale),
                     si.griddata(points, values, xi, method=method, rescale=rescale))
    ours = {"linear": delaunay2d.LinearNDInterpolator, "nearest": delaunay2d.NearestNDInterpolator}[method]
    theirs = {"linear": si.LinearNDInterpolator, "nearest": si.NearestNDInterpolator}[method]
    a, b = ours(points, values, rescale=True), theirs(points, values, rescale=True)
    # The same scaled doubles, not merely close ones: a last-digit change
    # can flip a Delaunay edge.
    assert np.array_equal(a.offset, b.offset) and np.array_equal(a.scale, b.scale)
    assert np.array_equal(a.points, b.points)
    same_answers(a(*xi), b(*xi))


def test_rescale_is_not_vacuous_on_the_flat_set():
    p = POINT_SETS["flat"]
    for method in ("linear", "nearest"):
        plain, scaled = (delaunay2d.griddata(p, values_at(p), grid_over(p), method=method, rescale=r)
                         for r in (False, True))
        assert np.nanmax(np.abs(plain - scaled)) > 1e-3
    with pytest.raises(ValueError):
        delaunay2d.LinearNDInterpolator(delaunay2d.triangulate(p), values_at(p), rescale=True)


XI_FORMS = [
    np.array([0.5, 0.5]), [0.5, 0.5], (0.5, 0.5), np.array([0.5, 0.5, 0.2, 0.7]),
    np.array([[0.5, 0.5]]), [[0.5, 0.5], [0.1, 0.9]], np.zeros((2, 3, 2)) + 0.4, np.zeros((0, 2)),
    (np.array([0.5]), np.array([0.5])), ([0.2, 0.6], [0.3, 0.4]), (np.full((3, 4), 0.5), 0.25),
    # refused: a single number, odd or wrong widths, three coordinates
    np.float64(0.5), np.zeros(3), np.zeros((4, 3)), (0.1, 0.2, 0.3), np.zeros((2, 0)),
]


@pytest.mark.parametrize("method", ["linear", "nearest"])
def test_every_form_of_xi_answers_as_scipy(method):
    p = POINT_SETS["square"]
    values = values_at(p)
    for xi in XI_FORMS:
        try:
            ref = si.griddata(p, values, xi, method=method)
        except (ValueError, IndexError) as error:
            with pytest.raises(type(error)):
                delaunay2d.griddata(p, values, xi, method=method)
            continue
        same_answers(delaunay2d.griddata(p, values, xi, method=method), ref)


def test_find_simplex_refuses_what_scipy_refuses():
    p = POINT_SETS["square"]
    tri, ref = delaunay2d.triangulate(p), Delaunay(p)
    # scipy raises IndexError for a zero-dimensional xi since 1.14 (before,
    # it crashed); ours is a ValueError too, like its other refusals.
    for xi in (None, 1.0):
        with pytest.raises(IndexError):
            tri.find_simplex(xi)
        with pytest.raises(ValueError):
            tri.find_simplex(xi)
    for xi in ([1.0, 2.0, 3.0], np.zeros((3, 3)), [], np.zeros((2, 0))):
        with pytest.raises(ValueError):
            ref.find_simplex(xi)
        with pytest.raises(ValueError):
            tri.find_simplex(xi)
    # None inside an array is NaN, in no triangle, and one point (2,)
    # answers shape (), as in scipy.
    for xi in ([[None, 0.5]], np.array([0.5, 0.5]), np.zeros((0, 2))):
        a, b = tri.find_simplex(xi), ref.find_simplex(xi)
        assert a.shape == b.shape and np.array_equal(a < 0, b < 0)


def test_lifted_attributes_match_scipy(points):
    tri, ref = delaunay2d.triangulate(points), Delaunay(points)
    row = {frozenset(s): i for i, s in enumerate(ref.simplices.tolist())}
    assert len(row) == len(tri.simplices)
    order = [row[frozenset(s)] for s in tri.simplices.tolist()]  # KeyError: not scipy's triangles
    assert (tri.ndim, tri.furthest_site) == (ref.ndim, ref.furthest_site)
    assert np.array_equal(tri.min_bound, ref.min_bound) and np.array_equal(tri.max_bound, ref.max_bound)
    assert (tri.paraboloid_scale, tri.paraboloid_shift) == (ref.paraboloid_scale, ref.paraboloid_shift)
    eq = ref.equations[order]
    size = 1 + np.abs(eq).max(axis=0)
    assert np.all(np.abs(tri.equations - eq) <= 1e-9 * size)
    xi = np.stack(grid_over(points, 6), axis=-1)
    assert np.array_equal(tri.lift_points(xi), ref.lift_points(xi))
    distance = tri.plane_distance(xi)
    assert distance.shape == ref.plane_distance(xi).shape
    assert np.allclose(distance, ref.plane_distance(xi)[..., order], rtol=0, atol=1e-9 * size[3])
    # A point with a NaN coordinate is left out of the bounds and the
    # scaling, as it is out of the triangulation.
    with_nan = delaunay2d.triangulate(np.vstack([points, [np.nan, 1e9]]))
    assert np.array_equal(with_nan.max_bound, ref.max_bound)
    assert with_nan.paraboloid_scale == ref.paraboloid_scale


def relative_gap(ours, ref):
    assert np.array_equal(np.isnan(ours), np.isnan(ref))
    finite = ~np.isnan(ref)
    return np.max(np.abs(ours[finite] - ref[finite]) / np.maximum(np.abs(ref[finite]), 1e-300), initial=0.0)


def test_cubic_matches_scipys_clough_tocher(points):
    # Smooth data; scipy's gradient estimate stops at a tolerance, so the
    # surfaces agree when the same sweeps are made in the same order.
    values, xi = values_at(points), grid_over(points)
    for rescale in (False, True):
        ours = delaunay2d.griddata(points, values, xi, method="cubic", rescale=rescale)
        assert relative_gap(ours, si.griddata(points, values, xi, method="cubic", rescale=rescale)) < 1e-6
    two = np.column_stack([values, values ** 2 + 1j * values])  # several and complex values per point
    a = delaunay2d.CloughTocherInterpolator(points, two, fill_value=-1.0)
    b = si.CloughTocher2DInterpolator(points, two, fill_value=-1.0)
    assert relative_gap(a(*xi), b(*xi)) < 1e-6
    ref = si.interpnd.estimate_gradients_2d_global(Delaunay(points), values)
    assert np.allclose(delaunay2d.CloughTocherInterpolator(points, values).grad, ref, rtol=1e-6, atol=1e-9)
    # The numpy sweeps, a level at a time, are the plain point-by-point ones.
    from delaunay2d.clough_tocher import estimate_gradients
    tri = delaunay2d.triangulate(points)
    plain, levels = (estimate_gradients(tri, values[:, None], by_levels=b) for b in (False, True))
    assert np.allclose(plain, levels, rtol=1e-12, atol=1e-12)


def test_cubic_takes_the_values_at_the_points_and_fills_outside():
    p = POINT_SETS["square"]
    f = delaunay2d.CloughTocherInterpolator(p, values_at(p), fill_value=7.0)
    assert np.allclose(f(p), values_at(p), rtol=0, atol=1e-12)
    assert f(-1.0, -1.0) == 7.0 and f(np.zeros((0, 2))).shape == (0,)
    # One sweep is not enough: the budget ends the estimate, with a warning.
    with pytest.warns(delaunay2d.GradientEstimationWarning):
        delaunay2d.CloughTocherInterpolator(p, values_at(p), maxiter=1)


def test_scipy_interpolators_take_our_triangulation(points):
    tri, values, xi = delaunay2d.triangulate(points), values_at(points), grid_over(points)
    theirs = tri.to_scipy()
    assert isinstance(theirs, Delaunay)
    assert np.array_equal(theirs.find_simplex(np.stack(xi, axis=-1)), tri.find_simplex(np.stack(xi, axis=-1)))
    for cls in (si.LinearNDInterpolator, si.CloughTocher2DInterpolator):
        assert relative_gap(cls(theirs, values)(*xi), cls(points, values)(*xi)) < 1e-9
    with pytest.raises(Exception):
        theirs.add_points([[0.5, 0.5]])


def test_voronoi_plot_2d_draws_our_diagram_as_scipys():
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from scipy.spatial import Voronoi, voronoi_plot_2d
    p = POINT_SETS["square"][:60]

    def drawn(vor):
        figure = voronoi_plot_2d(vor)
        lines = [c for c in figure.axes[0].collections]
        segments = sorted(tuple(sorted(tuple(np.round(v, 9)) for v in s)) for c in lines for s in c.get_segments())
        plt.close(figure)
        return segments

    assert drawn(delaunay2d.Voronoi(p)) == drawn(Voronoi(p))
