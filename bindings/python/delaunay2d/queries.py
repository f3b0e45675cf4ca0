"""scipy.spatial.Delaunay's queries on a Triangulation: ``find_simplex``,
``vertex_neighbor_vertices``, ``vertex_to_simplex``, ``transform``,
``coplanar``. The Triangulation's methods and properties call these."""

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
