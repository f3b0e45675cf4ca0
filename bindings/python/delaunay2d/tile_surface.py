"""One tile of a tiled DEM: the values of the cells of its core, each equal to
the value the whole set's triangulation gives, from the points the tile has
seen (its core and a halo).

    +---------------------------+  seen: core grown by the halo on every side
    |  halo                     |
    |    +-----------------+    |
    |    | core: the cells |    |  a cell's value is kept when the triangle
    |    | this tile fills |    |  holding its centre is certain (a triangle
    |    +-----------------+    |  of the whole set), or when the centre lies
    |                           |  beyond a certain hull edge (outside the
    +---------------------------+  whole set's hull: nodata)

A natural-neighbour value is kept when its cavity (the triangles whose
circumdisks hold the centre) has no uncertain triangle in it or beside it.
Where a cell is not settled, the halo doubles (or grows to the circumdisks
of the triangles that failed) and the tile is computed
again from the points of the larger box. The points are triangulated in
the order of their index in the whole set, so a repeated point is
represented, as in one pass over the whole set, by its first occurrence.
"""

from fractions import Fraction

import numpy as np

from . import queries as mesh_queries
from .interpolate import LinearNDInterpolator, NaturalNeighborInterpolator
from .tiles import tile_certain
from .triangulation import triangulate

# Shewchuk's first error bound of the orientation test, (3 + 16 eps) eps: a
# determinant beyond it times its terms' magnitudes has the exact sign.
_ORIENT_BOUND = (3.0 + 16.0 * 2.0**-53) * 2.0**-53


class TileJob:
    """One tile: the grid, the core's rows and columns (half-open ranges),
    the box of the whole set's finite points, the first halo, the nodata
    value, the threads each library call may use (1 on a cluster, whose
    workers already fill the cores with tiles), and the method, "linear"
    or "natural"."""

    def __init__(self, grid, rows, columns, bounds, halo, nodata, threads=1, method="linear"):
        self.grid = grid
        self.rows = rows
        self.columns = columns
        self.bounds = tuple(float(v) for v in bounds)
        self.halo = float(halo)
        self.nodata = float(nodata)
        self.threads = threads
        self.method = method

    def core_box(self):
        g = self.grid
        return (g.west + self.columns[0] * g.cell, g.north - self.rows[1] * g.cell,
                g.west + self.columns[1] * g.cell, g.north - self.rows[0] * g.cell)

    def seen_box(self, halo):
        x0, y0, x1, y1 = self.core_box()
        return (x0 - halo, y0 - halo, x1 + halo, y1 + halo)

    def shape(self):
        return (self.rows[1] - self.rows[0], self.columns[1] - self.columns[0])

    def centres(self):
        """The core's cell centres, row by row from the north, as (k, 2)."""
        x = self.grid.centre_x(np.arange(*self.columns))
        y = self.grid.centre_y(np.arange(*self.rows))
        xx, yy = np.meshgrid(x, y)
        return np.column_stack((xx.ravel(), yy.ravel()))


def in_box(x, y, box):
    """Which points lie in the closed box (NaN lies in none)."""
    return (x >= box[0]) & (x <= box[2]) & (y >= box[1]) & (y <= box[3])


def contains(outer, inner):
    return outer[0] <= inner[0] and outer[1] <= inner[1] and outer[2] >= inner[2] and outer[3] >= inner[3]


def _strictly_right(a, b, q):
    """For each query q (k, 2): whether it lies strictly right of the line
    from a to b (outside a counter-clockwise hull edge), decided exactly."""
    left = (b[0] - a[0]) * (q[:, 1] - a[1])
    right = (b[1] - a[1]) * (q[:, 0] - a[0])
    det = left - right
    bound = _ORIENT_BOUND * (np.abs(left) + np.abs(right))
    result = det < -bound
    for k in np.flatnonzero(np.abs(det) <= bound):
        ax, ay, bx, by = (Fraction(float(v)) for v in (a[0], a[1], b[0], b[1]))
        qx, qy = Fraction(float(q[k, 0])), Fraction(float(q[k, 1]))
        result[k] = (bx - ax) * (qy - ay) - (by - ay) * (qx - ax) < 0
    return result


# Shewchuk's first error bound of the in-circle test, (10 + 96 eps) eps.
_INCIRCLE_BOUND = (10.0 + 96.0 * 2.0**-53) * 2.0**-53


def _maybe_in_circle(a, b, c, q):
    """Whether each query q (k, 2) may lie in the closed circumdisk of the
    counter-clockwise triangle a, b, c: the in-circle determinant is not
    certainly negative."""
    ad, bd, cd = a - q, b - q, c - q
    alift, blift, clift = (ad ** 2).sum(1), (bd ** 2).sum(1), (cd ** 2).sum(1)
    bc = bd[:, 0] * cd[:, 1] - cd[:, 0] * bd[:, 1]
    ca = cd[:, 0] * ad[:, 1] - ad[:, 0] * cd[:, 1]
    ab = ad[:, 0] * bd[:, 1] - bd[:, 0] * ad[:, 1]
    det = alift * bc + blift * ca + clift * ab
    permanent = (alift * (np.abs(bd[:, 0] * cd[:, 1]) + np.abs(cd[:, 0] * bd[:, 1]))
                 + blift * (np.abs(cd[:, 0] * ad[:, 1]) + np.abs(ad[:, 0] * cd[:, 1]))
                 + clift * (np.abs(ad[:, 0] * bd[:, 1]) + np.abs(bd[:, 0] * ad[:, 1])))
    return ~(det < -_INCIRCLE_BOUND * permanent)


def _circumdisks(tri, triangles):
    """The circumcentres and radii of the given triangles, and which are
    too flat for their centre to mean much."""
    p = tri.points[:, :2]
    s = tri.simplices[triangles]
    a, b, c = p[s[:, 0]], p[s[:, 1]], p[s[:, 2]]
    ba, ca = b - a, c - a
    d = 2.0 * (ba[:, 0] * ca[:, 1] - ba[:, 1] * ca[:, 0])
    with np.errstate(divide="ignore", invalid="ignore"):
        ux = (ca[:, 1] * (ba ** 2).sum(1) - ba[:, 1] * (ca ** 2).sum(1)) / d
        uy = (ba[:, 0] * (ca ** 2).sum(1) - ca[:, 0] * (ba ** 2).sum(1)) / d
    centre = a + np.column_stack((ux, uy))
    radius = np.hypot(ux, uy)
    flat = ~np.isfinite(radius) | ~np.isfinite(centre).all(1) | \
        (np.abs(d) <= 1e-6 * ((ba ** 2).sum(1) + (ca ** 2).sum(1)))
    return centre, radius, flat


def _halo_for(tri, triangles, job):
    """The halo at which the circumdisks of the given triangles, cut to the
    whole set's box, lie in the seen box: only a guess at the halo that
    settles them (more points may split them; rounding is covered by the
    1 % added), 0 for none or for flat triangles, whose disks mean little."""
    if len(triangles) == 0:
        return 0.0
    centre, radius, flat = _circumdisks(tri, triangles)
    if flat.any():
        return 0.0
    x0, y0, x1, y1 = job.core_box()
    b = job.bounds
    reach = np.concatenate((x0 - np.maximum(centre[:, 0] - radius, b[0]),
                            np.minimum(centre[:, 0] + radius, b[2]) - x1,
                            y0 - np.maximum(centre[:, 1] - radius, b[1]),
                            np.minimum(centre[:, 1] + radius, b[3]) - y1))
    return float(reach.max()) * 1.01


def _tainted(tri, certain_triangle, certain_hull_edge):
    """The triangles a natural-neighbour value may not lean on: the
    uncertain ones, their neighbours, and those on an uncertain hull edge."""
    uncertain = ~certain_triangle
    neighbours = tri.neighbors[uncertain]
    tainted = uncertain.copy()
    tainted[neighbours[neighbours >= 0]] = True
    hull = np.asarray(tri.hull, dtype=np.int64)
    n = len(tri.points)
    open_keys = hull[~certain_hull_edge] * n + np.roll(hull, -1)[~certain_hull_edge]
    if len(open_keys):
        # The edge opposite vertex k runs from vertex k + 1 to k + 2,
        # counter-clockwise as the hull does.
        s = np.asarray(tri.simplices, dtype=np.int64)
        for k in range(3):
            on_hull = tri.neighbors[:, k] < 0
            keys = s[:, (k + 1) % 3] * n + s[:, (k + 2) % 3]
            tainted |= on_hull & np.isin(keys, open_keys)
    return tainted


def _cavity_tainted(tri, tainted, triangle, queries):
    """For each query (inside the mesh, in triangle[k]): whether its cavity,
    the connected triangles whose closed circumdisks may hold it (a
    superset of those that do, within rounding), meets a tainted triangle.

    A natural-neighbour value is made of that cavity's triangles, found by
    walking from the triangle holding the query to neighbours whose
    circumdisks hold it. With no tainted triangle in it, the cavity and the
    triangles around it are the whole set's, with the same neighbours: the
    same cavity, so the same neighbours and weights, as in one pass.

        query . in the tile          a tainted sliver far off, whose huge
        /\/\/\  cavity: a few     disk holds the query too, is not
        \/\/\/  triangles round   reached: it is no neighbour of the
                 the query          cavity's triangles"""
    m = len(tri.simplices)
    points = tri.points[:, :2]
    query = np.arange(len(queries), dtype=np.int64)
    frontier_query, frontier_triangle = query, triangle.astype(np.int64)
    visited = np.unique(frontier_query * m + frontier_triangle)
    hit = np.zeros(len(queries), dtype=bool)
    # Ends: each round keeps only (query, triangle) pairs not seen before,
    # of which there are finitely many (queries times triangles).
    while len(frontier_query):
        hit[frontier_query[tainted[frontier_triangle]]] = True
        # A query already tainted needs no larger cavity.
        going = ~hit[frontier_query]
        frontier_query, frontier_triangle = frontier_query[going], frontier_triangle[going]
        across = tri.neighbors[frontier_triangle]
        next_query = np.repeat(frontier_query, 3)
        next_triangle = across.ravel().astype(np.int64)
        real = next_triangle >= 0
        next_query, next_triangle = next_query[real], next_triangle[real]
        keys, first = np.unique(next_query * m + next_triangle, return_index=True)
        fresh = ~np.isin(keys, visited, assume_unique=True)
        next_query, next_triangle = next_query[first[fresh]], next_triangle[first[fresh]]
        corners = tri.simplices[next_triangle]
        holds = _maybe_in_circle(points[corners[:, 0]], points[corners[:, 1]], points[corners[:, 2]],
                                 queries[next_query])
        visited = np.union1d(visited, keys[fresh])
        frontier_query, frontier_triangle = next_query[holds], next_triangle[holds]
    return hit


def settled_values(xyz, job, seen):
    """Interpolates the core's cells over the triangulation of xyz (the
    tile's points, (n, 3), in the whole set's order). Returns (values as
    (rows, columns) float64, wanted): wanted is None when every cell is
    settled, else the halo the offending triangles' circumdisks ask for (0
    when they name none)."""
    centres = job.centres()
    values = np.full(len(centres), job.nodata)
    shape = job.shape()
    # A centre outside the box of the whole set's points is outside its
    # hull: nodata, with nothing to prove. A tile beyond the points (under
    # bounds larger than they are) is settled without a triangle.
    near = np.flatnonzero(in_box(centres[:, 0], centres[:, 1], job.bounds))
    if len(near) == 0:
        return values.reshape(shape), None
    queries = centres[near]
    tri = triangulate(xyz, threads=job.threads)
    if len(tri.simplices) == 0:
        return values.reshape(shape), 0.0
    interpolator = NaturalNeighborInterpolator if job.method == "natural" else LinearNDInterpolator
    values[near] = interpolator(tri, xyz[:, 2], fill_value=job.nodata, threads=job.threads)(queries)
    triangle = mesh_queries.find_simplex(tri, queries, threads=job.threads)
    certain_triangle, certain_hull_edge = tile_certain(tri, seen, job.bounds)
    inside = triangle >= 0
    located = np.unique(triangle[inside])
    uncertain = located[~certain_triangle[located]]
    if len(uncertain):
        return values.reshape(shape), _halo_for(tri, uncertain, job)
    if job.method == "natural":
        tainted = _tainted(tri, certain_triangle, certain_hull_edge)
        if _cavity_tainted(tri, tainted, triangle[inside], queries[inside]).any():
            return values.reshape(shape), 0.0
    # A centre outside the tile's hull is outside the whole set's when it
    # lies beyond an edge of the whole set's hull.
    outside = queries[~inside]
    beyond = np.zeros(len(outside), dtype=bool)
    hull = tri.hull
    for i in np.flatnonzero(certain_hull_edge):
        if beyond.all():
            break
        a, b = tri.points[hull[i], :2], tri.points[hull[(i + 1) % len(hull)], :2]
        beyond |= _strictly_right(a, b, outside)
    return values.reshape(shape), (None if beyond.all() else 0.0)


def tile_values(job, index, xyz, read_box):
    """The core's values (rows, columns) of float64, equal to those of the
    whole set's triangulation. index, xyz: the whole set's points in the
    first seen box, with their indices in the whole set; read_box(box)
    gives (index, xyz) of every point in a larger box.

    Returns (values, halo): the halo that settled every cell."""
    halo = job.halo
    # Terminates: each round at least doubles the halo (halo > 0), so after
    # finitely many rounds the seen box holds the whole set's bounds; then
    # the tile has every point, its triangulation is the whole set's, and
    # its values are taken without a test. The offending triangles'
    # circumdisks may ask for more than double at once (a void's long
    # triangles), which saves rounds.
    while True:
        seen = job.seen_box(halo)
        order = np.argsort(index, kind="stable")
        points = np.ascontiguousarray(xyz[order], dtype=np.float64)
        values, wanted = settled_values(points, job, seen)
        if wanted is None or contains(seen, job.bounds):
            return values, halo
        halo = max(2.0 * halo, wanted)
        index, xyz = read_box(job.seen_box(halo))
