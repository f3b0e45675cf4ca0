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
sweeps. The sweeps run in Python, one point after another: about a
second per 10^5 point updates.
"""

import math
import warnings

import numpy as np


class GradientEstimationWarning(Warning):
    """The gradient estimate stopped at maxiter sweeps before reaching tol."""


def estimate_gradients(tri, values, tol=1e-6, maxiter=400):
    """The gradient at each point of tri (n, 2) for each column of values
    (n, k): an (n, k, 2) array, zero at points that are no vertex. Warns
    GradientEstimationWarning when maxiter sweeps end before tol."""
    points = np.asarray(tri.points, dtype=np.float64)[:, :2]
    indptr, indices = tri.vertex_neighbor_vertices
    indptr, indices = indptr.tolist(), indices.tolist()
    px, py = points[:, 0].tolist(), points[:, 1].tolist()
    n = len(points)
    # Per point: the neighbours with the edge to each scaled by its length
    # cubed, and the 2 x 2 matrix Q = sum 4 e e^T / L^3 (fixed: it does not
    # depend on the gradients).
    edges = []
    for i in range(n):
        row, q0, q1, q3 = [], 0.0, 0.0, 0.0
        for j in indices[indptr[i]:indptr[i + 1]]:
            ex, ey = px[j] - px[i], py[j] - py[i]
            length = math.sqrt(ex ** 2 + ey ** 2)
            l3 = length * length * length
            q0 += 4 * ex * ex / l3
            q1 += 4 * ex * ey / l3
            q3 += 4 * ey * ey / l3
            row.append((j, ex, ey, l3))
        edges.append((row, q0, q1, q3, q0 * q3 - q1 * q1))
    gradients = np.zeros((n, values.shape[1], 2))
    for column in range(values.shape[1]):
        f = values[:, column].tolist()
        gx, gy = [0.0] * n, [0.0] * n
        converged = False
        # At most maxiter sweeps: the budget that ends a slow convergence.
        for _ in range(maxiter):
            err = 0.0
            for i in range(n):
                row, q0, q1, q3, det = edges[i]
                if not row:
                    continue
                s0 = s1 = 0.0
                fi = f[i]
                for j, ex, ey, l3 in row:
                    df2 = -ex * gx[j] - ey * gy[j]
                    common = 6 * (fi - f[j]) - 2 * df2
                    s0 += common * ex / l3
                    s1 += common * ey / l3
                r0 = (q3 * s0 - q1 * s1) / det
                r1 = (-q1 * s0 + q0 * s1) / det
                change = max(abs(gx[i] + r0), abs(gy[i] + r1))
                gx[i], gy[i] = -r0, -r1
                change /= max(1.0, max(abs(r0), abs(r1)))
                err = max(err, change)
            if err < tol:
                converged = True
                break
        if not converged and n:
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
