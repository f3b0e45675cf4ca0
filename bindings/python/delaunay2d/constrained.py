"""Constrained triangulation for ``triangulate``: segments kept as edges,
regions cut out, region attributes, and quality refinement (points added
until angles and areas meet their bounds), through
``delaunay2d_triangulate_constrained``.

The result's arrays are copied out of the library's blocks, which are freed
before returning (the constrained record is not the index-array call's, so the
in-place views of ``triangulation.py`` do not apply).
"""

import ctypes
import warnings
import math
import operator
from dataclasses import dataclass

import numpy as np

from . import _library

# None: the library's DELAUNAY2D_REGION_AUTO, the program's own default --
# the inside when the segments close a ring, the hull otherwise.
REGIONS = {"hull": 0, "inside": 1, None: 2}


class RegionPoint(ctypes.Structure):
    """delaunay2d_region_point, field for field."""
    _fields_ = [("x", ctypes.c_double), ("y", ctypes.c_double),
                ("attribute", ctypes.c_double), ("max_area", ctypes.c_double)]


class QualityOptions(ctypes.Structure):
    """delaunay2d_quality_options, field for field."""
    _fields_ = [
        ("struct_size", ctypes.c_size_t),
        ("min_angle", ctypes.c_double),
        ("max_area", ctypes.c_double),
        ("max_steiner", ctypes.c_uint64),
        ("conforming", ctypes.c_int),
    ]


class MeshQualityRecord(ctypes.Structure):
    """delaunay2d_mesh_quality, field for field."""
    _fields_ = [
        ("min_angle", ctypes.c_double),
        ("max_angle", ctypes.c_double),
        ("angle_histogram", ctypes.c_uint64 * 18),
        ("added_by_refinement", ctypes.c_uint64),
        ("unrefined_count", ctypes.c_uint64),
        ("budget_reached", ctypes.c_int),
    ]


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
        ("regions", ctypes.POINTER(RegionPoint)),
        ("region_count", ctypes.c_size_t),
        ("quality", ctypes.POINTER(QualityOptions)),
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
        ("triangle_attributes", ctypes.POINTER(ctypes.c_double)),
        ("hole_on_segment_count", ctypes.c_size_t),
        ("quality", MeshQualityRecord),
    ]


@dataclass(frozen=True)
class MeshQuality:
    """What the kept triangles are like (the library's
    delaunay2d_mesh_quality): the smallest and largest angle in degrees
    (0 without triangles), the angles three per triangle in 18 bins of 10
    degrees ([0, 10) ... [170, 180]), the points refinement added (after
    the crossing points), the kept triangles still below the angle bound or
    above their area bound, and whether refinement stopped at max_steiner
    points."""
    min_angle: float
    max_angle: float
    angle_histogram: np.ndarray
    added_by_refinement: int
    unrefined_count: int
    budget_reached: bool


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


def region_array(regions):
    """The regions as a contiguous (r, 4) float64 array of x, y, attribute,
    max_area (Triangle's regional rows); ValueError naming the first row
    with a NaN or infinite number."""
    if regions is None:
        return np.empty((0, 4), dtype=np.float64)
    try:
        array = np.asarray(regions, dtype=np.float64)
    except (TypeError, ValueError) as error:
        raise ValueError("regions must be numbers in an (r, 4) array: {}".format(error)) from None
    if array.size == 0:
        return np.empty((0, 4), dtype=np.float64)
    if array.ndim != 2 or array.shape[1] != 4:
        raise ValueError("regions must have shape (r, 4) (x, y, attribute, max_area), not {}".format(array.shape))
    bad = np.flatnonzero(~np.isfinite(array).all(axis=1))
    if len(bad):
        raise ValueError("region {} has a NaN or infinite number".format(bad[0]))
    return np.ascontiguousarray(array)


@dataclass(frozen=True)
class Refinement:
    """The checked refinement controls of one call."""
    min_angle: float = 0.0
    max_area: float = 0.0
    max_steiner: int = 0       # 0: no limit (unless none is asked for, see no_points)
    conforming: bool = False
    no_points: bool = False    # max_steiner=0: add no point at all


def _number(value, name):
    if isinstance(value, (bool, np.bool_)):
        raise ValueError("{} must be a number, not a boolean".format(name))
    try:
        return float(value)
    except (TypeError, ValueError):
        raise ValueError("{} must be a number, not {!r}".format(name, value)) from None


def refinement(min_angle, max_area, max_steiner, conforming):
    """Checks the refinement keywords; None where nothing is asked."""
    if min_angle is None and max_area is None and max_steiner is None and not conforming:
        return None
    angle = 0.0 if min_angle is None else _number(min_angle, "min_angle")
    if not 0.0 <= angle < 60.0:
        raise ValueError("min_angle must be at least 0 and below 60 degrees, not {}".format(min_angle))
    area = 0.0 if max_area is None else _number(max_area, "max_area")
    if not (max_area is None or (area > 0.0 and math.isfinite(area))):
        raise ValueError("max_area must be a positive finite number, not {}".format(max_area))
    steiner = 0
    if max_steiner is not None:
        if isinstance(max_steiner, (bool, np.bool_)):
            raise ValueError("max_steiner must be an integer, not a boolean")
        try:
            steiner = operator.index(max_steiner)
        except TypeError:
            raise ValueError("max_steiner must be an integer, not {!r}".format(max_steiner)) from None
        if not 0 <= steiner < 2**64:
            raise ValueError("max_steiner must be a non-negative count, not {}".format(max_steiner))
    return Refinement(angle, area, steiner, bool(conforming), max_steiner is not None and steiner == 0)


def _copy(pointer, count, dtype):
    if count == 0 or not pointer:
        return np.empty(0, dtype=dtype)
    return np.ctypeslib.as_array(pointer, shape=(count,)).astype(dtype, copy=True)


def _angles_and_areas(points, simplices):
    """Each triangle's smallest angle in degrees and its area, in doubles."""
    p = points[simplices]
    sides = [np.hypot(*(p[:, (k + 2) % 3] - p[:, (k + 1) % 3]).T) for k in range(3)]
    area = 0.5 * ((p[:, 1, 0] - p[:, 0, 0]) * (p[:, 2, 1] - p[:, 0, 1])
                  - (p[:, 1, 1] - p[:, 0, 1]) * (p[:, 2, 0] - p[:, 0, 0]))
    angles = []
    for k in range(3):
        a, b, c = sides[k], sides[(k + 1) % 3], sides[(k + 2) % 3]
        # The angle opposite side a, from the area and the dot product:
        # steady for thin triangles, where the law of cosines is not.
        angles.append(np.degrees(np.arctan2(2 * area, (b * b + c * c - a * a) / 2)))
    return np.min(angles, axis=0), area


def _unrefined(points, simplices, attributes_area, settings):
    """With max_steiner=0 no quality record is passed (the library's 0
    means no limit), so the count of triangles that miss their bounds is
    the binding's, in doubles."""
    if len(simplices) == 0:
        return 0
    smallest, area = _angles_and_areas(points, simplices)
    bound = np.where(attributes_area > 0, attributes_area, settings.max_area)
    bad = smallest < settings.min_angle
    bad |= (bound > 0) & (area > bound)
    return int(bad.sum())


def triangulate_constrained(array, stride, segments, holes, region, threads, regions=None, settings=None):
    """Runs the constrained call; returns the arrays of a Triangulation as a
    dict (neighbours and flags already in scipy's order, numbered by
    opposite vertex through the library's own conversion), with the
    triangles' region attributes and the quality figures."""
    if region not in REGIONS:
        raise ValueError('region must be None, "hull" or "inside", not {!r}'.format(region))
    seg = segment_array(segments, array)
    hol = hole_array(holes)
    reg = region_array(regions)
    if settings is None and (reg[:, 3] > 0).any():
        settings = Refinement()  # the regions' own area bounds ask for refinement by themselves
    lib = _declare(_library.load())
    options = ConstraintOptions()
    options.struct_size = ctypes.sizeof(ConstraintOptions)
    options.segments = seg.ctypes.data_as(ctypes.POINTER(ctypes.c_uint32))
    options.segment_count = len(seg)
    options.holes = hol.ctypes.data_as(ctypes.POINTER(ctypes.c_double))
    options.hole_count = len(hol)
    options.region = REGIONS[region]
    options.threads = threads
    options.regions = reg.ctypes.data_as(ctypes.POINTER(RegionPoint))
    options.region_count = len(reg)
    quality = QualityOptions()
    if settings is not None and not settings.no_points:
        quality.struct_size = ctypes.sizeof(QualityOptions)
        quality.min_angle = settings.min_angle
        quality.max_area = settings.max_area
        quality.max_steiner = settings.max_steiner
        quality.conforming = int(settings.conforming)
        options.quality = ctypes.pointer(quality)
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
        attributes = _copy(result.triangle_attributes, m, np.float64)
        if len(attributes) != m:  # no regions: the library leaves the array out
            attributes = np.zeros(m, dtype=np.float64)
        figures = result.quality
        arrays = {
            "points": points,
            "simplices": _copy(mesh.triangles, 3 * m, np.int32).reshape(m, 3),
            "neighbors": neighbors.reshape(m, 3),
            "constrained": flags.reshape(m, 3),
            "hull": _copy(mesh.hull, mesh.hull_count, np.int32),
            "vertex_of_point": _copy(mesh.vertex_of_point, n, np.int32),
            "segments": split,
            "triangle_attributes": attributes,
            "hole_on_segment_count": int(on_segments),
        }
        unrefined, budget = int(figures.unrefined_count), bool(figures.budget_reached)
        if settings is not None and settings.no_points:
            unrefined = _unrefined(arrays["points"], arrays["simplices"], _region_areas(arrays, reg), settings)
            budget = unrefined > 0
        arrays["quality"] = MeshQuality(
            min_angle=float(figures.min_angle), max_angle=float(figures.max_angle),
            angle_histogram=np.array(figures.angle_histogram[:], dtype=np.uint64),
            added_by_refinement=int(figures.added_by_refinement),
            unrefined_count=unrefined, budget_reached=budget)
        return arrays
    finally:
        lib.delaunay2d_constrained_result_free(ctypes.byref(result))


def _region_areas(arrays, reg):
    """Each triangle's own area bound from its region (0: the global one),
    found by the attribute its region gave it."""
    areas = np.zeros(len(arrays["simplices"]), dtype=np.float64)
    for x, y, attribute, area in reg.tolist():
        if area > 0:
            areas[arrays["triangle_attributes"] == attribute] = area
    return areas
