"""ctypes declarations of the operations on a finished triangulation
(location, interpolation, Voronoi), and the bridge from a Triangulation
back to the library's result record."""

import ctypes

import numpy as np

from . import _library

LINEAR, NEAREST, NATURAL = 0, 1, 2
_P = ctypes.c_void_p


class Voronoi(ctypes.Structure):
    """delaunay2d_voronoi, field for field."""
    _fields_ = [
        ("struct_size", ctypes.c_size_t),
        ("vertex_count", ctypes.c_size_t),
        ("vertices", ctypes.POINTER(ctypes.c_double)),
        ("ridge_count", ctypes.c_size_t),
        ("ridge_points", ctypes.POINTER(ctypes.c_uint32)),
        ("ridge_vertices", ctypes.POINTER(ctypes.c_int32)),
        ("region_offsets", ctypes.POINTER(ctypes.c_size_t)),
        ("regions", ctypes.POINTER(ctypes.c_int32)),
    ]


class Cells(ctypes.Structure):
    """delaunay2d_cells, field for field."""
    _fields_ = [
        ("struct_size", ctypes.c_size_t),
        ("point_count", ctypes.c_size_t),
        ("offsets", ctypes.POINTER(ctypes.c_size_t)),
        ("vertices", ctypes.POINTER(ctypes.c_double)),
    ]


_declared = set()


def load():
    """The library with the operations' argument types declared."""
    lib = _library.load()
    if id(lib) in _declared:
        return lib
    result = ctypes.POINTER(_library.Result)
    lib.delaunay2d_locate.argtypes = [_P, ctypes.c_size_t, result, _P, ctypes.c_size_t, ctypes.c_uint, _P]
    lib.delaunay2d_locate.restype = ctypes.c_int
    lib.delaunay2d_interpolate.argtypes = [
        _P, ctypes.c_size_t, result, _P, ctypes.c_size_t, ctypes.c_int, _P, ctypes.c_size_t, ctypes.c_double,
        ctypes.c_uint, _P]
    lib.delaunay2d_interpolate.restype = ctypes.c_int
    lib.delaunay2d_voronoi_build.argtypes = [_P, ctypes.c_size_t, result, ctypes.POINTER(Voronoi)]
    lib.delaunay2d_voronoi_build.restype = ctypes.c_int
    lib.delaunay2d_voronoi_free.argtypes = [ctypes.POINTER(Voronoi)]
    lib.delaunay2d_voronoi_free.restype = None
    lib.delaunay2d_voronoi_cells.argtypes = [
        _P, ctypes.c_size_t, result, ctypes.POINTER(ctypes.c_double * 4), ctypes.c_uint, ctypes.POINTER(Cells)]
    lib.delaunay2d_voronoi_cells.restype = ctypes.c_int
    lib.delaunay2d_cells_free.argtypes = [ctypes.POINTER(Cells)]
    lib.delaunay2d_cells_free.restype = None
    _declared.add(id(lib))
    return lib


class MeshRecord:
    """A delaunay2d_result over a Triangulation's arrays, with the points'
    address and stride: what every operation takes. Holds the arrays it
    points into."""

    def __init__(self, tri):
        points = tri.points
        self.coords = points.ctypes.data if len(points) else None
        self.stride = points.strides[0] // 8 if len(points) else 2
        # The library numbers neighbours by edge (v[k], v[k+1]), the
        # Triangulation by opposite vertex: the library's conversion turns
        # each triple by one place, so two more turns number a copy by edge
        # again.
        by_edge = np.array(tri.neighbors, dtype=np.int32, order="C")
        for _ in range(2):
            _library.number_by_opposite_vertex(_library.load(), by_edge.ctypes.data, len(by_edge))
        self._keep = [
            np.ascontiguousarray(tri.simplices, dtype=np.int32),
            by_edge,
            np.ascontiguousarray(tri.hull, dtype=np.int32),
            np.ascontiguousarray(tri.vertex_of_point, dtype=np.int32),
        ]
        simplices, neighbours, hull, vertex_of_point = self._keep
        r = _library.Result()
        r.point_count = len(points)
        r.triangle_count = len(simplices)
        r.triangles = ctypes.cast(simplices.ctypes.data, ctypes.POINTER(ctypes.c_uint32))
        r.neighbours = ctypes.cast(neighbours.ctypes.data, ctypes.POINTER(ctypes.c_int32))
        r.hull_count = len(hull)
        r.hull = ctypes.cast(hull.ctypes.data, ctypes.POINTER(ctypes.c_uint32))
        r.vertex_of_point = ctypes.cast(vertex_of_point.ctypes.data, ctypes.POINTER(ctypes.c_int32))
        self.result = r
        self.points = points

    def ref(self):
        return ctypes.byref(self.result)


def record_of(tri):
    """The cached MeshRecord of a Triangulation."""
    record = tri.__dict__.get("_mesh_record")
    if record is None:
        record = MeshRecord(tri)
        tri.__dict__["_mesh_record"] = record
    return record


class ZeroDimensionalQuery(IndexError, ValueError):
    """A query that is no array of points at all: None or a single number.
    An IndexError, as scipy raises for it (``xi.shape[-1]`` of a
    zero-dimensional array), and a ValueError, as this package raises for
    every other query of the wrong shape."""


def query_array(xi):
    """Queries as a C-contiguous float64 (k, 2) array, and the shape of the
    leading axes to give the answers. None and numbers are refused, not
    read as one NaN or numeric point: numpy turns None into a 0-d NaN,
    which would quietly give -1 or the fill value."""
    xi = np.asarray(xi, dtype=np.float64)
    if xi.ndim == 0:
        raise ZeroDimensionalQuery("query points must have shape (..., 2), not a single value")
    if xi.shape[-1] != 2:
        raise ValueError("query points must have shape (..., 2), not {}".format(xi.shape))
    shape = xi.shape[:-1]
    return np.ascontiguousarray(xi.reshape(-1, 2)), shape

