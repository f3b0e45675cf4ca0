"""Constrained triangulation for ``triangulate``: segments kept as edges,
regions cut out, through ``delaunay2d_triangulate_constrained``.

The result's arrays are copied out of the library's blocks, which are freed
before returning (the constrained record is not the index-array call's, so the
in-place views of ``triangulation.py`` do not apply).
"""

import ctypes
import warnings

import numpy as np

from . import _library

# None: the library's DELAUNAY2D_REGION_AUTO, the program's own default --
# the inside when the segments close a ring, the hull otherwise.
REGIONS = {"hull": 0, "inside": 1, None: 2}


class ConstraintOptions(ctypes.Structure):
    """delaunay2d_constraint_options, field for field."""
    _fields_ = [
        ("struct_size", ctypes.c_size_t),
        ("segments", ctypes.POINTER(ctypes.c_uint32)),
        ("segment_count", ctypes.c_size_t),
        ("holes", ctypes.POINTER(ctypes.c_double)),
        ("hole_count", ctypes.c_size_t),
        ("region", ctypes.c_int),
        ("threads", ctypes.c_uint),
        # Version 1.1.
        ("regions", ctypes.c_void_p),
        ("region_count", ctypes.c_size_t),
        ("quality", ctypes.c_void_p),
    ]


class MeshQuality(ctypes.Structure):
    """delaunay2d_mesh_quality, field for field."""
    _fields_ = [
        ("min_angle", ctypes.c_double),
        ("max_angle", ctypes.c_double),
        ("angle_histogram", ctypes.c_uint64 * 18),
        ("added_by_refinement", ctypes.c_uint64),
        ("unrefined_count", ctypes.c_uint64),
        ("budget_reached", ctypes.c_int),
    ]


class ConstrainedResult(ctypes.Structure):
    """delaunay2d_constrained_result, field for field."""
    _fields_ = [
        ("struct_size", ctypes.c_size_t),
        ("mesh", _library.Result),
        ("points", ctypes.POINTER(ctypes.c_double)),
        ("added_count", ctypes.c_size_t),
        ("constrained", ctypes.POINTER(ctypes.c_uint8)),
        ("segment_count", ctypes.c_size_t),
        ("segments", ctypes.POINTER(ctypes.c_uint32)),
        # Version 1.1.
        ("triangle_attributes", ctypes.POINTER(ctypes.c_double)),
        ("hole_on_segment_count", ctypes.c_size_t),
        ("quality", MeshQuality),
    ]


def _declare(lib):
    if getattr(lib, "_constrained_declared", False):
        return lib
    lib.delaunay2d_triangulate_constrained.argtypes = [
        ctypes.c_void_p, ctypes.c_size_t, ctypes.c_size_t,
        ctypes.POINTER(ConstraintOptions), ctypes.POINTER(ConstrainedResult)]
    lib.delaunay2d_triangulate_constrained.restype = ctypes.c_int
    lib.delaunay2d_constrained_result_free.argtypes = [ctypes.POINTER(ConstrainedResult)]
    lib.delaunay2d_constrained_result_free.restype = None
    lib._constrained_declared = True
    return lib


def segment_array(segments, points):
    """The segments as a contiguous (k, 2) uint32 array; ValueError naming
    the first segment that is not a pair of indices of finite points."""
    if segments is None:
        return np.empty((0, 2), dtype=np.uint32)
    array = np.asarray(segments)
    if array.size == 0:
        return np.empty((0, 2), dtype=np.uint32)
    if array.ndim != 2 or array.shape[1] != 2:
        raise ValueError("segments must have shape (k, 2), not {}".format(array.shape))
    if array.dtype.kind not in "iu":
        raise ValueError("segments must be integer point indices, not {}".format(array.dtype))
    count = len(points)
    finite = np.isfinite(points[:, :2]).all(axis=1)
    for k, (a, b) in enumerate(array.tolist()):
        for end in (a, b):
            if not 0 <= end < count:
                raise ValueError("segment {} names point {}, outside the {} points".format(k, end, count))
            if not finite[end]:
                raise ValueError("segment {} names point {}, which has a NaN or infinite coordinate".format(k, end))
    return np.ascontiguousarray(array, dtype=np.uint32)


def hole_array(holes):
    if holes is None:
        return np.empty((0, 2), dtype=np.float64)
    try:
        array = np.asarray(holes, dtype=np.float64)
    except (TypeError, ValueError) as error:
        raise ValueError("holes must be numbers in an (h, 2) array: {}".format(error)) from None
    if array.size == 0:
        return np.empty((0, 2), dtype=np.float64)
    if array.ndim != 2 or array.shape[1] != 2:
        raise ValueError("holes must have shape (h, 2), not {}".format(array.shape))
    bad = np.flatnonzero(~np.isfinite(array).all(axis=1))
    if len(bad):
        raise ValueError("hole {} has a NaN or infinite coordinate".format(bad[0]))
    return np.ascontiguousarray(array)


def holes_on_segments(holes, points, segments):
    """Indices of the hole points lying on a segment (ends included), decided
    exactly: the products of the doubles as fractions, so that these are the
    very points the library counted."""
    from fractions import Fraction
    found = []
    for h, (x, y) in enumerate(holes.tolist()):
        a, b = points[segments[:, 0]], points[segments[:, 1]]
        near = ((np.minimum(a[:, 0], b[:, 0]) <= x) & (x <= np.maximum(a[:, 0], b[:, 0])) &
                (np.minimum(a[:, 1], b[:, 1]) <= y) & (y <= np.maximum(a[:, 1], b[:, 1])))
        for s in np.flatnonzero(near).tolist():
            (ax, ay), (bx, by) = (map(Fraction, a[s].tolist()), map(Fraction, b[s].tolist()))
            if (bx - ax) * (Fraction(y) - ay) == (by - ay) * (Fraction(x) - ax):
                found.append(h)
                break
    return found


def _copy(pointer, count, dtype):
    if count == 0:
        return np.empty(0, dtype=dtype)
    return np.ctypeslib.as_array(pointer, shape=(count,)).astype(dtype, copy=True)


def triangulate_constrained(array, stride, segments, holes, region, threads):
    """Runs the constrained call; returns the arrays of a Triangulation as a
    dict (neighbours and flags already in scipy's order, numbered by
    opposite vertex through the library's own conversion)."""
    if region not in REGIONS:
        raise ValueError('region must be None, "hull" or "inside", not {!r}'.format(region))
    seg = segment_array(segments, array)
    hol = hole_array(holes)
    lib = _declare(_library.load())
    options = ConstraintOptions()
    options.struct_size = ctypes.sizeof(ConstraintOptions)
    options.segments = seg.ctypes.data_as(ctypes.POINTER(ctypes.c_uint32))
    options.segment_count = len(seg)
    options.holes = hol.ctypes.data_as(ctypes.POINTER(ctypes.c_double))
    options.hole_count = len(hol)
    options.region = REGIONS[region]
    options.threads = threads
    result = ConstrainedResult()
    result.struct_size = ctypes.sizeof(ConstrainedResult)
    status = lib.delaunay2d_triangulate_constrained(
        array.ctypes.data if len(array) else None, len(array), stride, ctypes.byref(options), ctypes.byref(result))
    _library.check(lib, status)
    try:
        mesh = result.mesh
        m = mesh.triangle_count
        n = mesh.point_count
        neighbors = _copy(mesh.neighbours, 3 * m, np.int32)
        flags = _copy(result.constrained, 3 * m, np.int32)  # one flag per edge, numbered as the neighbours
        for by_edge in (neighbors, flags):
            _library.number_by_opposite_vertex(lib, by_edge.ctypes.data, m)
        flags = flags.astype(bool)
        points = _copy(result.points, 2 * n, np.float64).reshape(n, 2)
        split = _copy(result.segments, 2 * result.segment_count, np.int32).reshape(-1, 2)
        on_segments = result.hole_on_segment_count
        if on_segments:
            named = holes_on_segments(hol, points, split)
            one = on_segments == 1
            warnings.warn("{} on a segment and remove{} nothing (which side is meant cannot be told): "
                          "move {} inside its hole".format(
                              ", ".join("hole {} ({!r}, {!r})".format(h, *hol[h].tolist()) for h in named)
                              + (" lies" if one else " lie"), "s" if one else "", "it" if one else "each"),
                          stacklevel=3)
        return {
            "points": points,
            "simplices": _copy(mesh.triangles, 3 * m, np.int32).reshape(m, 3),
            "neighbors": neighbors.reshape(m, 3),
            "constrained": flags.reshape(m, 3),
            "hull": _copy(mesh.hull, mesh.hull_count, np.int32),
            "vertex_of_point": _copy(mesh.vertex_of_point, n, np.int32),
            "segments": split,
            "hole_on_segment_count": on_segments,
        }
    finally:
        lib.delaunay2d_constrained_result_free(ctypes.byref(result))
