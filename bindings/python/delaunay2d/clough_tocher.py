"""The C1 cubic interpolant of Clough and Tocher on the library's
triangulation (``CloughTocherInterpolator`` in interpolate.py), with the gradients at the points
estimated as scipy.interpolate.CloughTocher2DInterpolator estimates them,
so that the two give the same surface on the same points.

Each triangle is split at its centroid into three cubic Bezier patches.
Along each outer edge the derivative across the edge is made linear, in
the direction from this triangle's centroid to its neighbour's (an
affine-invariant choice that two neighbours agree on); a hull edge uses the
direction to the middle of the opposite corner's edges:

        v3
        /|\\           c: Bezier ordinates, four indices for the
       / | \\          barycentric weights of v1, v2, v3 and the
      /  v4 \\         centroid v4 (c3000 = f(v1), c0003 = value at v4)
     / /    \\ \\
    v1--------v2

The gradients minimise the sum over the edges of the integral of the
squared second derivative along the edge, one point at a time with the
others held (Gauss-Seidel): the 2 x 2 system of each point is solved in
turn, in index order, from zero gradients, until no gradient changes by
more than tol (relative to its size when above 1) in a sweep, or maxiter
sweeps. A sweep is done a level at a time with numpy (a level: points
whose lower-numbered neighbours are all in lower levels, which the
sweep's order lets be updated together), or point by point in Python when
the levels are too many to gain by it (points numbered along a line).
"""

import warnings

import numpy as np


class GradientEstimationWarning(Warning):
    """The gradient estimate stopped at maxiter sweeps before reaching tol."""


def _levels(indptr, indices, n):
    """For each point, 1 + the highest level among its neighbours of lower
    index (0 when it has none). A sweep updates the points in index order,
    each from the newest gradients of its neighbours; the points of one
    level depend only on points of lower levels, so a level can be updated
    all at once and the sweep stays the same sweep."""
    level = [0] * n
    for i in range(n):
        top = -1
        for j in indices[indptr[i]:indptr[i + 1]]:
            if j < i and level[j] > top:
                top = level[j]
        level[i] = top + 1
    return level


class _Edges:
    """The edges at each point, flat in the order of vertex_neighbor_vertices
    (row i holds point i's neighbours j), with the fixed 2 x 2 matrix
    Q = sum 4 e e^T / L^3 of each point, e = p_j - p_i, L = |e|."""

    def __init__(self, tri):
        points = np.asarray(tri.points, dtype=np.float64)[:, :2]
        indptr, indices = tri.vertex_neighbor_vertices
        self.n = len(points)
        self.indptr = np.asarray(indptr, dtype=np.int64)
        self.neighbour = np.asarray(indices, dtype=np.int64)
        self.row = np.repeat(np.arange(self.n), np.diff(self.indptr))
        e = points[self.neighbour] - points[self.row]
        l3 = np.sqrt(e[:, 0] ** 2 + e[:, 1] ** 2) ** 3
        self.ex, self.ey, self.l3 = e[:, 0], e[:, 1], l3
        self.has = np.diff(self.indptr) > 0
        starts = self.indptr[:-1][self.has]
        q = np.zeros((self.n, 3))
        if len(starts):
            for k, product in enumerate((e[:, 0] * e[:, 0], e[:, 0] * e[:, 1], e[:, 1] * e[:, 1])):
                q[self.has, k] = np.add.reduceat(4 * product / l3, starts)
        self.q0, self.q1, self.q3 = q[:, 0], q[:, 1], q[:, 2]
        self.det = self.q0 * self.q3 - self.q1 * self.q1


def _sweeps_in_order(edges, f, tol, maxiter):
    """Gauss-Seidel sweeps one point after another, in Python (for meshes
    whose levels are too many to gain from updating a level at once)."""
    n, indptr = edges.n, edges.indptr.tolist()
    rows = [list(zip(edges.neighbour[indptr[i]:indptr[i + 1]].tolist(), edges.ex[indptr[i]:indptr[i + 1]].tolist(),
                     edges.ey[indptr[i]:indptr[i + 1]].tolist(), edges.l3[indptr[i]:indptr[i + 1]].tolist()))
            for i in range(n)]
    q0, q1, q3, det = (a.tolist() for a in (edges.q0, edges.q1, edges.q3, edges.det))
    f = f.tolist()
    gx, gy = [0.0] * n, [0.0] * n
    # At most maxiter sweeps: the budget that ends a slow convergence.
    for _ in range(maxiter):
        err = 0.0
        for i in range(n):
            if not rows[i]:
                continue
            s0 = s1 = 0.0
            fi = f[i]
            for j, ex, ey, l3 in rows[i]:
                common = 6 * (fi - f[j]) + 2 * (ex * gx[j] + ey * gy[j])
                s0 += common * ex / l3
                s1 += common * ey / l3
            r0 = (q3[i] * s0 - q1[i] * s1) / det[i]
            r1 = (-q1[i] * s0 + q0[i] * s1) / det[i]
            change = max(abs(gx[i] + r0), abs(gy[i] + r1)) / max(1.0, abs(r0), abs(r1))
            gx[i], gy[i] = -r0, -r1
            err = max(err, change)
        if err < tol:
            return np.array(gx), np.array(gy), True
    return np.array(gx), np.array(gy), False


def _sweeps_by_levels(edges, f, tol, maxiter, level):
    """The same sweeps, a level of points at a time with numpy."""
    level = np.asarray(level)
    order = np.argsort(level, kind="stable")
    order = order[edges.has[order]]
    bounds = np.searchsorted(level[order], np.arange(level.max(initial=0) + 2))
    counts = np.diff(edges.indptr)
    groups = []
    for k in range(len(bounds) - 1):
        pts = order[bounds[k]:bounds[k + 1]]
        if len(pts) == 0:
            continue
        # The entries of these points, row after row, and where each row starts.
        sizes = counts[pts]
        starts = np.concatenate(([0], np.cumsum(sizes)[:-1]))
        entries = np.repeat(edges.indptr[pts] - starts, sizes) + np.arange(sizes.sum())
        groups.append((pts, entries, starts))
    six = 6 * (f[edges.row] - f[edges.neighbour])
    gx, gy = np.zeros(edges.n), np.zeros(edges.n)
    # At most maxiter sweeps: the budget that ends a slow convergence.
    for _ in range(maxiter):
        err = 0.0
        for pts, entries, starts in groups:
            j, ex, ey = edges.neighbour[entries], edges.ex[entries], edges.ey[entries]
            common = six[entries] + 2 * (ex * gx[j] + ey * gy[j])
            l3 = edges.l3[entries]
            s0 = np.add.reduceat(common * ex / l3, starts)
            s1 = np.add.reduceat(common * ey / l3, starts)
            q0, q1, q3, det = edges.q0[pts], edges.q1[pts], edges.q3[pts], edges.det[pts]
            r0 = (q3 * s0 - q1 * s1) / det
            r1 = (-q1 * s0 + q0 * s1) / det
            change = np.maximum(np.abs(gx[pts] + r0), np.abs(gy[pts] + r1))
            change /= np.maximum(1.0, np.maximum(np.abs(r0), np.abs(r1)))
            gx[pts], gy[pts] = -r0, -r1
            err = max(err, change.max())
        if err < tol:
            return gx, gy, True
    return gx, gy, False


def estimate_gradients(tri, values, tol=1e-6, maxiter=400, by_levels=None):
    """The gradient at each point of tri (n, 2) for each column of values
    (n, k): an (n, k, 2) array, zero at points that are no vertex. Warns
    GradientEstimationWarning when maxiter sweeps end before tol.
    by_levels: None chooses; True or False forces the numpy or the plain
    sweep (the same sweeps either way)."""
    edges = _Edges(tri)
    level = None
    if by_levels is not False:
        level = _levels(edges.indptr.tolist(), edges.neighbour.tolist(), edges.n)
        # A level costs a few numpy calls (some tens of microseconds), a
        # point in the plain sweep a few microseconds.
        if by_levels is None and max(level, default=0) + 1 > edges.n / 16:
            level = None
    gradients = np.zeros((edges.n, values.shape[1], 2))
    for column in range(values.shape[1]):
        f = np.ascontiguousarray(values[:, column], dtype=np.float64)
        if level is None:
            gx, gy, converged = _sweeps_in_order(edges, f, tol, maxiter)
        else:
            gx, gy, converged = _sweeps_by_levels(edges, f, tol, maxiter, level)
        if not converged and edges.n:
            warnings.warn("the gradient estimate did not converge in {} sweeps: the results may be inaccurate"
                          .format(maxiter), GradientEstimationWarning, stacklevel=3)
        gradients[:, column, 0] = gx
        gradients[:, column, 1] = gy
    return gradients


def edge_directions(tri):
    """g (m, 3): for the edge opposite vertex k, the across-edge direction
    as a multiple of the side from the middle vertex, in the triangle's
    own barycentric coordinates of the neighbour's centroid; -1/2 on the
    hull (no neighbour)."""
    p = np.asarray(tri.points, dtype=np.float64)[:, :2]
    s = np.asarray(tri.simplices, dtype=np.int64)
    nb = np.asarray(tri.neighbors, dtype=np.int64)
    g = np.full(s.shape, -0.5)
    if len(s) == 0:
        return g
    transform = tri.transform
    centroid = (p[s[:, 0]] + p[s[:, 1]] + p[s[:, 2]]) / 3
    with np.errstate(divide="ignore", invalid="ignore"):
        for k, (a, b) in enumerate(((2, 1), (0, 2), (1, 0))):
            has = nb[:, k] >= 0
            t = np.flatnonzero(has)
            y = centroid[nb[t, k]] - transform[t, 2]
            c01 = np.einsum("tij,tj->ti", transform[t, :2], y)
            c = np.column_stack([c01, 1 - c01.sum(axis=1)])
            g[t, k] = (2 * c[:, a] + c[:, b] - 1) / (2 - 3 * c[:, a] - 3 * c[:, b])
    return g


def patch_values(f, df, e, g, b):
    """The Clough-Tocher patch value at barycentric coordinates b (q, 3) of
    triangles with values f (q, 3, k), gradients df (q, 3, k, 2), edge
    vectors e = (e12, e23, e31) each (q, 2) and directions g (q, 3)."""
    e12, e23, e31 = (v[:, None, :] for v in e)
    f1, f2, f3 = f[:, 0], f[:, 1], f[:, 2]
    d1, d2, d3 = df[:, 0], df[:, 1], df[:, 2]

    def along(d, edge):
        return d[..., 0] * edge[..., 0] + d[..., 1] * edge[..., 1]

    df12 = +along(d1, e12)
    df21 = -along(d2, e12)
    df23 = +along(d2, e23)
    df32 = -along(d3, e23)
    df31 = +along(d3, e31)
    df13 = -along(d1, e31)
    c3000 = f1
    c2100 = (df12 + 3 * c3000) / 3
    c2010 = (df13 + 3 * c3000) / 3
    c0300 = f2
    c1200 = (df21 + 3 * c0300) / 3
    c0210 = (df23 + 3 * c0300) / 3
    c0030 = f3
    c1020 = (df31 + 3 * c0030) / 3
    c0120 = (df32 + 3 * c0030) / 3
    c2001 = (c2100 + c2010 + c3000) / 3
    c0201 = (c1200 + c0300 + c0210) / 3
    c0021 = (c1020 + c0120 + c0030) / 3
    g0, g1, g2 = (g[:, k][:, None] for k in range(3))
    c0111 = (g0 * (-c0300 + 3 * c0210 - 3 * c0120 + c0030) + (-c0300 + 2 * c0210 - c0120 + c0021 + c0201)) / 2
    c1011 = (g1 * (-c0030 + 3 * c1020 - 3 * c2010 + c3000) + (-c0030 + 2 * c1020 - c2010 + c2001 + c0021)) / 2
    c1101 = (g2 * (-c3000 + 3 * c2100 - 3 * c1200 + c0300) + (-c3000 + 2 * c2100 - c1200 + c2001 + c0201)) / 2
    c1002 = (c1101 + c1011 + c2001) / 3
    c0102 = (c1101 + c0111 + c0201) / 3
    c0012 = (c1011 + c0111 + c0021) / 3
    c0003 = (c1002 + c0102 + c0012) / 3
    # The sub-triangle holding the point: subtract the smallest barycentric
    # coordinate from all three and give three times it to the centroid
    # (one of b1, b2, b3 is then zero).
    low = b.min(axis=1)
    b1, b2, b3 = ((b[:, k] - low)[:, None] for k in range(3))
    b4 = (3 * low)[:, None]
    return (b1 ** 3 * c3000 + 3 * b1 ** 2 * b2 * c2100 + 3 * b1 ** 2 * b3 * c2010 + 3 * b1 ** 2 * b4 * c2001
            + 3 * b1 * b2 ** 2 * c1200 + 6 * b1 * b2 * b4 * c1101 + 3 * b1 * b3 ** 2 * c1020
            + 6 * b1 * b3 * b4 * c1011 + 3 * b1 * b4 ** 2 * c1002 + b2 ** 3 * c0300 + 3 * b2 ** 2 * b3 * c0210
            + 3 * b2 ** 2 * b4 * c0201 + 3 * b2 * b3 ** 2 * c0120 + 6 * b2 * b3 * b4 * c0111
            + 3 * b2 * b4 ** 2 * c0102 + b3 ** 3 * c0030 + 3 * b3 ** 2 * b4 * c0021 + 3 * b3 * b4 ** 2 * c0012
            + b4 ** 3 * c0003)
