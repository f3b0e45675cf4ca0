"""Interpolation in scipy.interpolate's names: ``LinearNDInterpolator``,
``NearestNDInterpolator``, ``NaturalNeighborInterpolator`` and
``CloughTocherInterpolator`` and ``griddata``, over the library's exact
triangulation (the Clough-Tocher patches and gradients are in
clough_tocher.py).

``points`` may be an (n, 2) array, an (n, 3) or (n, 4) one (only the
first two columns count), a tuple (x, y) of 1-D arrays, or (for the linear
and natural interpolators) a Triangulation from ``triangulate``. A float64
array whose rows are spaced by whole doubles is read in place, not copied:
change it and the interpolator changes too (copy it first if you mean to
change it). Values of one point may be a scalar or any array (the output
then has that shape after the query shape); complex values are
interpolated as their real and imaginary parts.

``rescale=True`` does what scipy's does: the points, and every query, are
shifted by the points' mean and divided by their extent along x and along
y before anything is triangulated or compared (not with a Triangulation
as ``points``). Query points follow scipy's shapes: an array (..., 2)
answers (...), a 1-D array or list is a flat list of points (one point
(x, y) answers (1,)), a tuple (x, y) or two arguments x, y broadcast
together and answer their common shape.
"""

import numpy as np

from . import _library, _operations, clough_tocher
from .clough_tocher import GradientEstimationWarning  # noqa: F401 (exported)
from .triangulation import Triangulation, points_array, triangulate


def _triangulation_of(points_or_triangulation):
    if isinstance(points_or_triangulation, Triangulation):
        return points_or_triangulation
    return triangulate(points_array(points_or_triangulation))


def _query_points(args):
    """The query points as an array (..., 2), by scipy's rules: f(xi) with
    xi an array (..., 2) or a tuple (x, y) of arrays that broadcast;
    f(x, y) as f((x, y)). A 1-D xi is a flat list of points, so that one
    point (x, y) given as an array or a list is shape (1, 2) and answers
    (1,), while the tuple (x, y) of two numbers answers ()."""
    xi = args[0] if len(args) == 1 else args
    if isinstance(xi, tuple):
        if len(xi) != 2:
            raise ValueError("give the query points as one (..., 2) array or as x and y, not {} arrays".format(len(xi)))
        x, y = np.broadcast_arrays(np.asarray(xi[0], dtype=np.float64), np.asarray(xi[1], dtype=np.float64))
        return np.stack([x, y], axis=-1)
    xi = np.asarray(xi, dtype=np.float64)
    if xi.ndim == 1:
        if xi.size % 2:
            raise ValueError("a 1-D xi lists points as x0, y0, x1, y1, ...: {} values".format(xi.size))
        xi = xi.reshape(-1, 2)
    return xi


def _rescaled(points):
    """scipy's rescale: the points' x and y shifted by their mean and divided
    by their extent (peak to peak; 1 where it is 0), with the same numpy
    operations on the same (n, 2) layout, so that the scaled points are
    the same doubles as scipy's. Points with a NaN or infinite coordinate,
    which the triangulation leaves out (and scipy refuses), do not count.
    Returns (scaled points, offset, scale)."""
    xy = np.ascontiguousarray(points_array(points)[:, :2], dtype=np.float64)
    finite = np.isfinite(xy).all(axis=1)
    basis = xy if finite.all() else xy[finite]
    if len(basis) == 0:
        return xy.copy(), np.zeros(2), np.ones(2)
    offset = np.mean(basis, axis=0)
    scaled = xy - offset
    scale = np.ptp(basis, axis=0)
    scale[~(scale > 0)] = 1.0
    scaled /= scale
    return scaled, offset, scale


class _Interpolator:
    _method = None

    def __init__(self, points, values, fill_value=np.nan, rescale=False, threads=0):
        # rescale changes which points are nearest and which triangulation
        # is Delaunay (the circles become ellipses in the original units), so
        # it is done, as scipy does it, and the queries are scaled alike.
        self.offset = self.scale = None
        if rescale:
            if isinstance(points, Triangulation):
                raise ValueError("rescaling is not supported when points is a Triangulation")
            points, self.offset, self.scale = _rescaled(points)
        self.tri = _triangulation_of(points)
        self.points = self.tri.points
        values = np.asarray(values)
        if values.shape[:1] != (len(self.points),):
            raise ValueError("values must have one entry per point: {} points, values of shape {}".format(
                len(self.points), values.shape))
        self._value_shape = values.shape[1:]
        self._complex = np.iscomplexobj(values)
        flat = values.reshape(len(self.points), int(np.prod(self._value_shape, dtype=np.int64)))
        if self._complex:
            flat = np.ascontiguousarray(flat, dtype=np.complex128).view(np.float64)
        self.values = np.ascontiguousarray(flat, dtype=np.float64)
        self.fill_value = fill_value
        self.threads = threads

    def __call__(self, *args):
        xi = _query_points(args)
        if self.scale is not None:
            xi = (xi - self.offset) / self.scale
        queries, shape = _operations.query_array(xi)
        lib = _operations.load()
        record = _operations.record_of(self.tri)
        width = self.values.shape[1]
        out = np.empty((len(queries), width))
        fill = np.nan if self._complex else float(self.fill_value)
        if len(queries) and width:
            status = lib.delaunay2d_interpolate(
                record.coords, record.stride, record.ref(), self.values.ctypes.data, width, self._method,
                queries.ctypes.data, len(queries), fill, self.threads, out.ctypes.data)
            _library.check(lib, status)
        if self._complex:
            out = out.view(np.complex128)
            out[np.isnan(out.real) & np.isnan(out.imag)] = self.fill_value
        return out.reshape(shape + self._value_shape)


class LinearNDInterpolator(_Interpolator):
    """Piecewise-linear interpolation on the Delaunay triangulation (scipy's
    name and call forms). fill_value outside the convex hull."""
    _method = _operations.LINEAR


class NaturalNeighborInterpolator(_Interpolator):
    """Sibson's natural-neighbour interpolation: equals the values at the
    points, reproduces linear functions, continuous, smooth away from the
    points. fill_value outside the convex hull."""
    _method = _operations.NATURAL


class NearestNDInterpolator(_Interpolator):
    """The value of the nearest point (exact distances; on a tie the point
    of lower index; repeated points take the first one's value). Defined
    everywhere (NaN for a NaN query)."""
    _method = _operations.NEAREST

    def __init__(self, x, y, rescale=False, tree_options=None, threads=0):
        super().__init__(x, y, fill_value=np.nan, rescale=rescale, threads=threads)


class CloughTocherInterpolator(_Interpolator):
    """Piecewise cubic, C1 (continuously differentiable) interpolation on
    the Delaunay triangulation, scipy's CloughTocher2DInterpolator on the
    library's triangulation: points, values, fill_value (outside the
    triangles) and rescale as LinearNDInterpolator's; tol and maxiter
    for the gradient estimate (scipy's defaults). ``grad`` holds the
    estimated gradients, (n, 2) or (n, ..., 2) for values (n, ...)."""

    def __init__(self, points, values, fill_value=np.nan, tol=1e-6, maxiter=400, rescale=False, threads=0):
        super().__init__(points, values, fill_value=fill_value, rescale=rescale, threads=threads)
        self._gradients = clough_tocher.estimate_gradients(self.tri, self.values, tol=tol, maxiter=maxiter)
        self._directions = clough_tocher.edge_directions(self.tri)
        shape = self._value_shape + (2,)
        grad = self._gradients
        if self._complex:
            grad = grad[:, 0::2] + 1j * grad[:, 1::2]
        self.grad = grad.reshape((len(self.points),) + shape)

    def __call__(self, *args):
        xi = _query_points(args)
        if self.scale is not None:
            xi = (xi - self.offset) / self.scale
        shape = xi.shape[:-1]
        flat = np.ascontiguousarray(xi.reshape(-1, 2), dtype=np.float64)
        width = self.values.shape[1]
        out = np.full((len(flat), width), np.nan)
        simplex = self.tri.find_simplex(flat) if len(flat) else np.empty(0, dtype=np.int32)
        inside = np.flatnonzero(simplex >= 0)
        if len(inside) and width:
            t = simplex[inside]
            vertices = np.asarray(self.tri.simplices)[t]
            transform = self.tri.transform[t]
            c01 = np.einsum("qij,qj->qi", transform[:, :2], flat[inside] - transform[:, 2])
            b = np.column_stack([c01, 1 - c01.sum(axis=1)])
            p = np.asarray(self.points, dtype=np.float64)[:, :2]
            v0, v1, v2 = p[vertices[:, 0]], p[vertices[:, 1]], p[vertices[:, 2]]
            out[inside] = clough_tocher.patch_values(self.values[vertices], self._gradients[vertices], (v1 - v0, v2 - v1, v0 - v2),
                                                         self._directions[t], b)
        if self._complex:
            out = out.view(np.complex128)
        out[simplex < 0] = self.fill_value
        return out.reshape(shape + self._value_shape)


CloughTocher2DInterpolator = CloughTocherInterpolator


_METHODS = {"linear": LinearNDInterpolator, "nearest": NearestNDInterpolator,
            "natural": NaturalNeighborInterpolator}


def griddata(points, values, xi, method="linear", fill_value=np.nan, rescale=False):
    """Interpolates unstructured data at xi, as scipy.interpolate.griddata:
    points (n, 2) or a tuple (x, y); xi (..., 2) or a tuple of arrays that
    broadcast (e.g. from np.meshgrid). method "linear", "nearest",
    "cubic" (Clough-Tocher, see CloughTocherInterpolator) or "natural";
    fill_value outside the hull (not used by "nearest"); rescale as scipy's
    (see the module's notes)."""
    if method == "cubic":
        return CloughTocherInterpolator(points, values, fill_value=fill_value, rescale=rescale)(xi)
    if method not in _METHODS:
        raise ValueError("unknown interpolation method {!r}: use linear, nearest, cubic or natural".format(method))
    if method == "nearest":
        interpolator = NearestNDInterpolator(points, values, rescale=rescale)
    else:
        interpolator = _METHODS[method](points, values, fill_value=fill_value, rescale=rescale)
    return interpolator(xi)
