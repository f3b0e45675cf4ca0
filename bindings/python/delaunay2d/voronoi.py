"""``Voronoi``: scipy.spatial.Voronoi's attributes, read off the library's
exact Delaunay triangulation, and each cell clipped to a box."""

import ctypes

import numpy as np

from . import _library, _operations
from .triangulation import Triangulation, points_array, triangulate


def _array(pointer, count, ctype, dtype):
    if count == 0:
        return np.empty(0, dtype=dtype)
    return np.ctypeslib.as_array(ctypes.cast(pointer, ctypes.POINTER(ctype)), (count,)).astype(dtype)


class Voronoi:
    """The Voronoi diagram of points in the plane, in scipy's layout.

    ``points``      the points as read (the caller's float64 array when it
                    needed no conversion; (n, 3) and (n, 4) arrays count
                    their first two columns)
    ``vertices``    (T, 2): vertex t is the circumcentre of Delaunay
                    triangle t (cocircular points give several vertices at
                    one place; none are merged)
    ``ridge_points``   (R, 2): the two points each ridge separates
    ``ridge_vertices`` list of [v0, v1]; -1 (first) for a ridge to infinity
    ``regions``     list of vertex-index lists, counter-clockwise, -1 where
                    the cell is unbounded; [] for a repeated point
    ``point_region`` (n,): index into regions of each point's cell
    ``tri``         the Triangulation it was read off
    ``ndim``, ``furthest_site`` (False), ``min_bound``, ``max_bound``
                    as scipy's, so that scipy.spatial.voronoi_plot_2d
                    draws it (with (n, 2) points)

    With all points on one line there are no vertices and every cell is
    [-1] (scipy raises there).
    """

    def __init__(self, points, threads=0):
        if isinstance(points, Triangulation):
            self.tri = points
        else:
            self.tri = triangulate(points_array(points), threads=threads)
        self.points = self.tri.points
        self.threads = threads
        lib = _operations.load()
        record = _operations.record_of(self.tri)
        v = _operations.Voronoi()
        v.struct_size = ctypes.sizeof(_operations.Voronoi)
        status = lib.delaunay2d_voronoi_build(record.coords, record.stride, record.ref(), ctypes.byref(v))
        _library.check(lib, status)
        try:
            self.vertices = _array(v.vertices, 2 * v.vertex_count, ctypes.c_double, np.float64).reshape(-1, 2)
            self.ridge_points = _array(v.ridge_points, 2 * v.ridge_count, ctypes.c_uint32, np.int32).reshape(-1, 2)
            ridge_vertices = _array(v.ridge_vertices, 2 * v.ridge_count, ctypes.c_int32, np.int32).reshape(-1, 2)
            n = len(self.points)
            offsets = _array(v.region_offsets, n + 1, ctypes.c_size_t, np.int64) if n else np.zeros(1, np.int64)
            regions = _array(v.regions, int(offsets[-1]), ctypes.c_int32, np.int32)
        finally:
            lib.delaunay2d_voronoi_free(ctypes.byref(v))
        # scipy's lists are built on first use: at 10^6 points they take
        # longer than the diagram itself.
        self._ridge_vertices = ridge_vertices
        self._region_offsets = offsets
        self._regions = regions
        self._lists = {}
        self.point_region = np.arange(len(self.points), dtype=np.intp)

    @property
    def ridge_vertices(self):
        if "ridge_vertices" not in self._lists:
            self._lists["ridge_vertices"] = self._ridge_vertices.tolist()
        return self._lists["ridge_vertices"]

    @property
    def regions(self):
        if "regions" not in self._lists:
            flat, bounds = self._regions.tolist(), self._region_offsets.tolist()
            self._lists["regions"] = [flat[bounds[i]:bounds[i + 1]] for i in range(len(self.points))]
        return self._lists["regions"]

    @property
    def npoints(self):
        return len(self.points)

    # scipy.spatial.Voronoi's remaining attributes, read by
    # scipy.spatial.voronoi_plot_2d among others: always 2-D, always the
    # nearest-site diagram, bounds over the points with finite coordinates.
    ndim = 2
    furthest_site = False

    @property
    def min_bound(self):
        return self.tri.min_bound

    @property
    def max_bound(self):
        return self.tri.max_bound

    def cell_polygons(self, bbox):
        """Each point's cell clipped to bbox = (xmin, ymin, xmax, ymax): a
        list with one (k, 2) float64 array per point, counter-clockwise,
        first vertex not repeated; (0, 2) for a cell that misses the box and
        for a repeated point (the first of the repeats has the cell). The
        areas add up to the box's."""
        box = (ctypes.c_double * 4)(*[float(b) for b in bbox])
        lib = _operations.load()
        record = _operations.record_of(self.tri)
        cells = _operations.Cells()
        cells.struct_size = ctypes.sizeof(_operations.Cells)
        status = lib.delaunay2d_voronoi_cells(record.coords, record.stride, record.ref(), ctypes.byref(box),
                                              self.threads, ctypes.byref(cells))
        _library.check(lib, status)
        try:
            n = len(self.points)
            offsets = _array(cells.offsets, n + 1, ctypes.c_size_t, np.int64) if n else np.zeros(1, np.int64)
            vertices = _array(cells.vertices, 2 * int(offsets[-1]), ctypes.c_double, np.float64).reshape(-1, 2)
        finally:
            lib.delaunay2d_cells_free(ctypes.byref(cells))
        bounds = offsets.tolist()
        return [vertices[bounds[i]:bounds[i + 1]] for i in range(n)]
