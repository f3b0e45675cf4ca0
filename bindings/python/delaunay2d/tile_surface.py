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

Where a cell is not settled, the halo doubles and the tile is computed
again from the points of the larger box. The points are triangulated in
the order of their index in the whole set, so a repeated point is
represented, as in one pass over the whole set, by its first occurrence.
"""

from fractions import Fraction

import numpy as np

from . import queries as mesh_queries
from .interpolate import LinearNDInterpolator
from .tiles import tile_certain
from .triangulation import triangulate

# Shewchuk's first error bound of the orientation test, (3 + 16 eps) eps: a
# determinant beyond it times its terms' magnitudes has the exact sign.
_ORIENT_BOUND = (3.0 + 16.0 * 2.0**-53) * 2.0**-53


class TileJob:
    """One tile: the grid, the core's rows and columns (half-open ranges),
    the box of the whole set's finite points, the first halo, the nodata
    value, and the threads each library call may use (1 on a cluster,
    whose workers already fill the cores with tiles)."""

    def __init__(self, grid, rows, columns, bounds, halo, nodata, threads=1):
        self.grid = grid
        self.rows = rows
        self.columns = columns
        self.bounds = tuple(float(v) for v in bounds)
        self.halo = float(halo)
        self.nodata = float(nodata)
        self.threads = threads

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


def settled_values(xyz, job, seen):
    """Interpolates the core's cells over the triangulation of xyz (the
    tile's points, (n, 3), in the whole set's order). Returns (values as
    (rows, columns) float64, whether every cell is settled)."""
    centres = job.centres()
    values = np.full(len(centres), job.nodata)
    # A centre outside the box of the whole set's points is outside its
    # hull: nodata, with nothing to prove. A tile beyond the points (under
    # bounds larger than they are) is settled without a triangle.
    near = np.flatnonzero(in_box(centres[:, 0], centres[:, 1], job.bounds))
    if len(near) == 0:
        return values.reshape(job.shape()), True
    queries = centres[near]
    tri = triangulate(xyz, threads=job.threads)
    if len(tri.simplices) == 0:
        return values.reshape(job.shape()), False
    values[near] = LinearNDInterpolator(tri, xyz[:, 2], fill_value=job.nodata, threads=job.threads)(queries)
    triangle = mesh_queries.find_simplex(tri, queries, threads=job.threads)
    certain_triangle, certain_hull_edge = tile_certain(tri, seen, job.bounds)
    inside = triangle >= 0
    if not certain_triangle[triangle[inside]].all():
        return values.reshape(job.shape()), False
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
    return values.reshape(job.shape()), bool(beyond.all())


def tile_values(job, index, xyz, read_box):
    """The core's values (rows, columns) of float64, equal to those of the
    whole set's triangulation. index, xyz: the whole set's points in the
    first seen box, with their indices in the whole set; read_box(box)
    gives (index, xyz) of every point in a larger box.

    Returns (values, halo): the halo that settled every cell."""
    halo = job.halo
    # Terminates: each round doubles the halo (halo > 0), so after finitely
    # many rounds the seen box holds the whole set's bounds; then the tile
    # has every point, its triangulation is the whole set's, and its values
    # are taken without a test.
    while True:
        seen = job.seen_box(halo)
        order = np.argsort(index, kind="stable")
        points = np.ascontiguousarray(xyz[order], dtype=np.float64)
        if contains(seen, job.bounds):
            tri_values, _ = settled_values(points, job, seen)
            return tri_values, halo
        tri_values, settled = settled_values(points, job, seen)
        if settled:
            return tri_values, halo
        halo *= 2.0
        index, xyz = read_box(job.seen_box(halo))
