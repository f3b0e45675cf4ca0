"""scipy.spatial.Delaunay's queries on a Triangulation: ``find_simplex``,
``vertex_neighbor_vertices``, ``vertex_to_simplex``, ``transform``,
``coplanar``, the bounds, and the lifting to the paraboloid
(``paraboloid_scale_shift``, ``lift_points``, ``equations``,
``plane_distance``). The Triangulation's methods and properties call
these."""

import numpy as np

from . import _library, _operations


def find_simplex(tri, xi, threads=0):
    """The triangle holding each point of ``xi`` (shape (..., 2)), or -1;
    for a point on an edge or a vertex, one of the triangles there. Exact:
    decided with exact orientation tests. Returns an int32 array of shape
    xi.shape[:-1]."""
    queries, shape = _operations.query_array(xi)
    lib = _operations.load()
    record = _operations.record_of(tri)
    out = np.empty(len(queries), dtype=np.int32)
    if len(queries):
        status = lib.delaunay2d_locate(record.coords, record.stride, record.ref(), queries.ctypes.data,
                                       len(queries), threads, out.ctypes.data)
        _library.check(lib, status)
    return out.reshape(shape)


def vertex_neighbor_vertices(tri):
    """(indptr, indices): the neighbours of vertex k along edges are
    indices[indptr[k]:indptr[k + 1]], sorted (scipy's layout)."""
    n = len(tri.points)
    s = np.asarray(tri.simplices, dtype=np.int64)
    if len(s) == 0:
        return np.zeros(n + 1, dtype=np.int32), np.empty(0, dtype=np.int32)
    a = np.concatenate([s[:, 0], s[:, 1], s[:, 2], s[:, 1], s[:, 2], s[:, 0]])
    b = np.concatenate([s[:, 1], s[:, 2], s[:, 0], s[:, 0], s[:, 1], s[:, 2]])
    pairs = np.unique(a * n + b)
    indptr = np.searchsorted(pairs // n, np.arange(n + 1)).astype(np.int32)
    return indptr, (pairs % n).astype(np.int32)


def vertex_to_simplex(tri):
    """For each point a triangle it is a vertex of, or -1 (repeats and
    points with a NaN or infinite coordinate)."""
    out = np.full(len(tri.points), -1, dtype=np.int32)
    m = len(tri.simplices)
    out[np.asarray(tri.simplices).ravel()] = np.repeat(np.arange(m, dtype=np.int32), 3)
    return out


def transform(tri):
    """scipy's barycentric transforms, (nsimplex, 3, 2): for triangle i,
    c = T[i, :2] @ (x - T[i, 2]) gives the first two barycentric
    coordinates of x, and 1 - c.sum() the third. NaN for a triangle with
    no area in floating point (none in an exact Delaunay result of finite
    points, but very thin ones can round so)."""
    p = np.asarray(tri.points, dtype=np.float64)[:, :2]
    s = np.asarray(tri.simplices)
    out = np.empty((len(s), 3, 2))
    if len(s) == 0:
        return out
    r0, r1, r2 = p[s[:, 0]], p[s[:, 1]], p[s[:, 2]]
    # T = [[x0 - x2, x1 - x2], [y0 - y2, y1 - y2]]^-1
    a, b = r0[:, 0] - r2[:, 0], r1[:, 0] - r2[:, 0]
    c, d = r0[:, 1] - r2[:, 1], r1[:, 1] - r2[:, 1]
    det = a * d - b * c
    with np.errstate(divide="ignore", invalid="ignore"):
        out[:, 0, 0] = d / det
        out[:, 0, 1] = -b / det
        out[:, 1, 0] = -c / det
        out[:, 1, 1] = a / det
    out[det == 0, :2] = np.nan
    out[:, 2] = r2
    return out


def coplanar(tri):
    """Points left out of the triangulation as repeats, in scipy's layout:
    (k, 3) int32 rows [point, a triangle holding it, the vertex it
    repeats]."""
    vop = np.asarray(tri.vertex_of_point)
    repeats = np.flatnonzero((vop >= 0) & (vop != np.arange(len(vop))))
    out = np.empty((len(repeats), 3), dtype=np.int32)
    out[:, 0] = repeats
    out[:, 2] = vop[repeats]
    out[:, 1] = vertex_to_simplex(tri)[vop[repeats]]
    return out


def _finite_xy(tri):
    """The x and y of the points with finite coordinates (the ones the
    library triangulates), as a C-contiguous float64 (k, 2) array."""
    p = np.ascontiguousarray(np.asarray(tri.points, dtype=np.float64)[:, :2])
    return p[np.isfinite(p).all(axis=1)]


def bounds(tri):
    """(min_bound, max_bound): the smallest and largest x and y of the
    points with finite coordinates; NaN without any."""
    p = _finite_xy(tri)
    if len(p) == 0:
        return np.full(2, np.nan), np.full(2, np.nan)
    return p.min(axis=0), p.max(axis=0)


def paraboloid_scale_shift(tri):
    """scipy's paraboloid_scale and paraboloid_shift: the lifted coordinate
    x^2 + y^2 is mapped to scale * (x^2 + y^2) + shift, as Qhull's option
    Qbb maps it (scipy always passes Qbb and Qz), so that the lifted
    equations agree with scipy's:

        low  = the least x^2 + y^2 of the points
        high = 1.1 * the greatest (Qz's point at infinity, the highest)
        scale = max |coordinate| / (high - low),  shift = -low * scale

    (1, 0) when there is nothing to scale (no points, or all at the
    origin)."""
    p = _finite_xy(tri)
    if len(p) == 0:
        return 1.0, 0.0
    lifted = p[:, 0] * p[:, 0] + p[:, 1] * p[:, 1]
    low, high = lifted.min(), lifted.max() * 1.1
    if not high - low > 0:
        return 1.0, 0.0
    scale = np.abs(p).max() / (high - low)
    return float(scale), float(-low * scale)


def lift_points(tri, x):
    """Points (..., 2) lifted to the paraboloid, (..., 3): x, y and
    scale * (x^2 + y^2) + shift (scipy's lift_points)."""
    x = np.asarray(x, dtype=np.float64)
    if x.ndim == 0 or x.shape[-1] != 2:
        raise ValueError("points to lift must have shape (..., 2), not {}".format(x.shape))
    scale, shift = paraboloid_scale_shift(tri)
    z = np.empty(x.shape[:-1] + (3,))
    z[..., :2] = x
    z[..., 2] = (x ** 2).sum(axis=-1) * scale + shift
    return z


def equations(tri):
    """(nsimplex, 4): the plane through each triangle's lifted vertices as
    scipy gives it, n . (x, y, z) + offset = 0 with n a unit normal pointing
    down (n_z < 0): the lift of a point inside the triangle lies below the
    plane, at a positive distance, and the other points' lifts above it,
    at negative ones.

        z
        |   o           o    lifts of the other points: above the plane
        |      *-----*       the plane through the triangle's lifts (*)
        |       `._.'        the paraboloid, below it inside the triangle
        +------------------> x, y

    The lifted differences are taken as scale * (dx (x1 + x0) + dy (y1 + y0)),
    not as differences of lifted values, which would lose the digits the
    shift cancels."""
    p = np.asarray(tri.points, dtype=np.float64)[:, :2]
    s = np.asarray(tri.simplices)
    out = np.empty((len(s), 4))
    if len(s) == 0:
        return out
    scale, shift = paraboloid_scale_shift(tri)
    a, b, c = p[s[:, 0]], p[s[:, 1]], p[s[:, 2]]
    u, v = b - a, c - a
    du = scale * (u[:, 0] * (b[:, 0] + a[:, 0]) + u[:, 1] * (b[:, 1] + a[:, 1]))
    dv = scale * (v[:, 0] * (c[:, 0] + a[:, 0]) + v[:, 1] * (c[:, 1] + a[:, 1]))
    # (u, du) x (v, dv), negated: the triangles are counter-clockwise, so
    # the cross product points up.
    normal = -np.column_stack([u[:, 1] * dv - du * v[:, 1],
                               du * v[:, 0] - u[:, 0] * dv,
                               u[:, 0] * v[:, 1] - u[:, 1] * v[:, 0]])
    with np.errstate(divide="ignore", invalid="ignore"):
        normal /= np.sqrt((normal ** 2).sum(axis=1))[:, None]
    za = (a ** 2).sum(axis=1) * scale + shift
    out[:, :3] = normal
    out[:, 3] = -(normal[:, 0] * a[:, 0] + normal[:, 1] * a[:, 1] + normal[:, 2] * za)
    return out


def plane_distance(tri, xi):
    """The signed distance of each lifted point of xi (..., 2) from every
    triangle's plane, (..., nsimplex) (scipy's plane_distance)."""
    xi = np.asarray(xi, dtype=np.float64)
    if xi.ndim == 0:
        raise _operations.ZeroDimensionalQuery("query points must have shape (..., 2), not a single value")
    if xi.shape[-1] != 2:
        raise ValueError("query points must have shape (..., 2), not {}".format(xi.shape))
    eq = equations(tri)
    return lift_points(tri, xi) @ eq[:, :3].T + eq[:, 3]
