"""``triangulate``: numpy points in, numpy index arrays out, through the
library's index-array call (``delaunay2d_triangulate``), which prints nothing and
returns its failures.

The arrays that the library returns are handed to numpy in place: every
array of the result views one of the library's own blocks, which are freed
when the last array viewing them is gone. The neighbours are put into
scipy's order inside their block, by the library's own
``delaunay2d_neighbours_opposite_vertex``.
"""

import ctypes
import operator
import warnings

import numpy as np

from . import _library, queries
from .constrained import refinement, triangulate_constrained

_MAX_THREADS = 2**32 - 1
_DOUBLE = np.dtype(np.float64).itemsize
_INT32 = np.dtype(np.int32).str  # the library's indices, in this machine's byte order


class Triangulation:
    """A Delaunay triangulation of a set of points in the plane.

    Attributes (numpy arrays of int32 unless said otherwise):

    ``points``
        The float64 array of the points, (n, 2), (n, 3) or (n, 4), exactly as the
        library read it (the caller's own array when it needed no
        conversion).
    ``simplices``
        (m, 3): the vertices of each triangle, as indices of ``points``,
        counter-clockwise.
    ``neighbors``
        (m, 3): ``neighbors[t, k]`` is the triangle across the edge opposite
        vertex ``simplices[t, k]``, or -1 on the convex hull (scipy's
        convention).
    ``hull``
        The convex hull's vertices, counter-clockwise. Without triangles
        (fewer than three distinct points, or all collinear), the distinct
        points in order along their line.
    ``convex_hull``
        (h, 2): the hull's edges as pairs of vertices (scipy's name);
        empty when there are no triangles.
    ``vertex_of_point``
        (n,): the point that stands for point i in the mesh: i itself, the
        first earlier point with the same x and y, or -1 for a point with
        a NaN or infinite coordinate.
    ``constrained``
        (m, 3) bool: whether the edge opposite vertex k (the edge of
        ``neighbors[t, k]``) lies on a segment; all False without segments.
    ``segments``
        (s, 2): the segments as split at points on them and at crossings,
        each mesh edge on a segment once; empty without segments.
    ``hole_on_segment_count``
        How many hole points lie exactly on a segment (or its end): such a
        point removes nothing, and triangulate warns naming it.

    ``triangle_attributes``
        (m,) float64: each triangle's region attribute (the ``regions``
        argument), 0 outside every region and without regions.
    ``quality``
        With segments, holes, regions or refinement: a ``MeshQuality``
        (``min_angle``, ``max_angle``, ``angle_histogram``,
        ``added_by_refinement``, ``unrefined_count``, ``budget_reached``)
        describing the kept triangles; None for the plain triangulation.
    ``hole_on_segment_count``
        How many hole points lie exactly on a segment (they remove nothing,
        and ``triangulate`` warns).

    With segments, holes, region "inside", regions or refinement,
    ``points`` is (n + a, 2): the input points, then the a points added
    (crossings, then refinement's); -1 neighbours also border removed
    regions.

    scipy.spatial.Delaunay's other attributes and methods, with its
    meaning: ``find_simplex``, ``transform``, ``vertex_to_simplex``,
    ``vertex_neighbor_vertices``, ``coplanar``, ``npoints``, ``nsimplex``,
    ``ndim`` (2), ``furthest_site`` (False), ``min_bound`` and
    ``max_bound`` (over the points with finite coordinates),
    ``equations``, ``lift_points``, ``plane_distance``,
    ``paraboloid_scale`` and ``paraboloid_shift`` (Qhull's scaling, as
    scipy reports it). Computed when read, not stored.
    """

    def __init__(self, points, simplices, neighbors, hull, vertex_of_point, constrained=None, segments=None,
                 triangle_attributes=None, quality=None, hole_on_segment_count=0):
        self.points = points
        self.simplices = simplices
        self.neighbors = neighbors
        self.hull = hull
        self.vertex_of_point = vertex_of_point
        self.constrained = np.zeros(simplices.shape, dtype=bool) if constrained is None else constrained
        self.segments = np.empty((0, 2), dtype=np.int32) if segments is None else segments
        if triangle_attributes is None:
            triangle_attributes = np.zeros(len(simplices), dtype=np.float64)
        self.triangle_attributes = triangle_attributes
        self.quality = quality
        self.hole_on_segment_count = hole_on_segment_count
        if len(simplices):
            self.convex_hull = np.column_stack((hull, np.roll(hull, -1)))
        else:
            self.convex_hull = np.empty((0, 2), dtype=np.int32)

    # scipy.spatial.Delaunay's queries (in queries.py).
    def find_simplex(self, xi, bruteforce=False, tol=None):
        """The triangle holding each point of xi (..., 2), or -1 (exact)."""
        return queries.find_simplex(self, xi)

    @property
    def vertex_neighbor_vertices(self):
        return queries.vertex_neighbor_vertices(self)

    @property
    def vertex_to_simplex(self):
        return queries.vertex_to_simplex(self)

    @property
    def transform(self):
        return queries.transform(self)

    @property
    def coplanar(self):
        return queries.coplanar(self)

    # The rest of scipy.spatial.Delaunay's attributes: always 2-D, a
    # nearest-site triangulation, bounds over the finite points, and the
    # paraboloid lifting with Qhull's scaling (see queries.py).
    ndim = 2
    furthest_site = False

    @property
    def min_bound(self):
        return queries.bounds(self)[0]

    @property
    def max_bound(self):
        return queries.bounds(self)[1]

    @property
    def paraboloid_scale(self):
        return queries.paraboloid_scale_shift(self)[0]

    @property
    def paraboloid_shift(self):
        return queries.paraboloid_scale_shift(self)[1]

    @property
    def equations(self):
        """(nsimplex, 4): each triangle's lifted plane, unit normal pointing
        down, then offset (scipy's layout and signs)."""
        return queries.equations(self)

    def lift_points(self, x):
        """x (..., 2) lifted to the paraboloid, (..., 3)."""
        return queries.lift_points(self, x)

    def plane_distance(self, xi):
        """Signed distance of each lifted point of xi (..., 2) to every
        triangle's plane, (..., nsimplex)."""
        return queries.plane_distance(self, xi)

    def to_scipy(self):
        """This triangulation as a scipy.spatial.Delaunay, for the scipy
        functions that insist on one (LinearNDInterpolator,
        CloughTocher2DInterpolator, estimate_gradients_2d_global,
        tsearch): the same triangles, neighbours, transforms and lifted
        planes, not triangulated again. It has no Qhull behind it, so
        add_points is refused. Needs scipy."""
        from scipy.spatial import Delaunay
        out = Delaunay.__new__(Delaunay)
        m = len(self.simplices)
        indptr, indices = self.vertex_neighbor_vertices
        out.__dict__.update({
            "_qhull": None,
            "_points": np.ascontiguousarray(np.asarray(self.points, dtype=np.float64)[:, :2]),
            "ndim": 2, "npoints": len(self.points), "nsimplex": m, "furthest_site": False,
            "min_bound": self.min_bound, "max_bound": self.max_bound,
            "simplices": np.ascontiguousarray(self.simplices, dtype=np.int32),
            "_vertices": np.ascontiguousarray(self.simplices, dtype=np.int32),
            "neighbors": np.ascontiguousarray(self.neighbors, dtype=np.int32),
            "equations": np.ascontiguousarray(self.equations, dtype=np.float64),
            "coplanar": self.coplanar, "good": np.ones(m, dtype=np.int32),
            "paraboloid_scale": self.paraboloid_scale, "paraboloid_shift": self.paraboloid_shift,
            "_transform": np.ascontiguousarray(self.transform, dtype=np.float64),
            "_vertex_to_simplex": np.ascontiguousarray(self.vertex_to_simplex, dtype=np.int32),
            "_vertex_neighbor_vertices": (np.ascontiguousarray(indptr, dtype=np.int32),
                                          np.ascontiguousarray(indices, dtype=np.int32)),
        })
        return out

    @property
    def npoints(self):
        return len(self.points)

    @property
    def nsimplex(self):
        return len(self.simplices)

    def __len__(self):
        return len(self.simplices)

    def __repr__(self):
        return "<delaunay2d.Triangulation: {} points, {} triangles, {} hull vertices>".format(
            len(self.points), len(self.simplices), len(self.hull))


class _ResultBlocks:
    """Owns one delaunay2d_result and frees it when it is collected."""

    def __init__(self, lib):
        self._lib = lib
        self.result = _library.Result()

    def __del__(self):
        self._lib.delaunay2d_result_free(ctypes.byref(self.result))

    def array(self, pointer, shape, typestr):
        """A numpy array over one of the result's blocks, keeping it alive."""
        if 0 in shape:
            return np.empty(shape, dtype=np.dtype(typestr))
        address = ctypes.cast(pointer, ctypes.c_void_p).value
        return np.asarray(_BlockView(self, address, shape, typestr))


class _BlockView:
    """Presents a block of the result to numpy through the array interface;
    numpy keeps it (and so the result) alive as the array's base."""

    def __init__(self, owner, address, shape, typestr):
        self.owner = owner
        self.__array_interface__ = {"version": 3, "data": (address, False), "shape": shape, "typestr": typestr}


def _point_array(points):
    """The points as a float64 (n, 2), (n, 3) or (n, 4) array, and its row stride in
    doubles. An array whose rows are spaced by whole doubles is read in
    place; anything else is converted once."""
    if np.iscomplexobj(points):
        raise ValueError("points must be real numbers")
    _refuse_too_many(points)
    try:
        array = np.asarray(points)
        # numpy turns None into NaN, which the library would leave out
        # without a word: a missing value is an error, not a point.
        if array.dtype == object and any(value is None for value in array.flat):
            raise ValueError("None is not a number")
        array = np.asarray(array, dtype=np.float64)
    except (TypeError, ValueError, OverflowError) as error:
        # OverflowError: an integer beyond the range of a double.
        raise ValueError("points must be numbers in an (n, 2), (n, 3) or (n, 4) array: {}".format(error)) from None
    if array.ndim != 2 or array.shape[1] not in (2, 3, 4):
        raise ValueError("points must have shape (n, 2), (n, 3) or (n, 4), not {}".format(array.shape))
    _refuse_too_many(array)
    if len(array) == 0:
        return array, array.shape[1]
    row, column = array.strides
    if (column != _DOUBLE or row < 2 * _DOUBLE or row % _DOUBLE != 0
            or not array.flags.aligned):
        array = np.ascontiguousarray(array)
        row = array.strides[0]
    return array, row // _DOUBLE


def _refuse_too_many(points):
    """More points than the library takes (it answers
    DELAUNAY2D_TOO_MANY_POINTS beyond) are refused before they are
    converted, which for a large broadcast view would copy gigabytes
    first."""
    shape = getattr(points, "shape", None)
    if shape and len(shape) == 2 and shape[0] > _library.MAX_POINTS:
        raise ValueError("delaunay2d: too many points: {} (the most is {})".format(shape[0], _library.MAX_POINTS))


def points_array(points):
    """Points for the interpolators and Voronoi: an (n, 2), (n, 3) or (n, 4)
    array, or a tuple (x, y) of 1-D arrays, as float64 (a float64 array as
    it is)."""
    if isinstance(points, tuple):
        points = np.column_stack([np.asarray(c, dtype=np.float64).ravel() for c in points])
    array = np.asarray(points, dtype=np.float64) if not isinstance(points, np.ndarray) else points
    if array.ndim != 2 or array.shape[1] not in (2, 3, 4):
        raise ValueError("points must have shape (n, 2), (n, 3) or (n, 4), not {}".format(array.shape))
    return array


def triangulate(points, segments=None, holes=None, *, region=None, threads=0, min_angle=None, max_area=None,
                regions=None, max_steiner=None, conforming=False):
    """Triangulates points given as an (n, 2), (n, 3) or (n, 4) array of
    float64 (x, y, then a value or z, w: only x and y count), or anything numpy turns
    into one. An array that already is contiguous float64 is not copied.

    segments: a (k, 2) integer array of point indices kept as edges (the
    constrained Delaunay triangulation; crossing segments are split at
    their crossing, rounded to doubles, added after the input points).
    holes: an (h, 2) array of points inside holes, whose regions bounded by
    segments are removed; a hole point exactly on a segment removes nothing
    (a warning names it). region: "hull" keeps the convex hull, "inside"
    what closed rings of segments enclose (even-odd nesting); None, the
    default, does as the program: "inside" when the segments close at least
    one ring, "hull" when they close none (open breaklines) or there are no
    segments. See Triangulation for the added arrays.

    Quality refinement: points are added (after the input and crossing
    points) until no kept triangle has an angle below ``min_angle``
    degrees (below 60; up to about 20.7 always ends, about 33 in practice)
    or an area above ``max_area``. ``regions``: an (r, 4) array of x, y,
    attribute, max_area, as in Triangle's .poly files: the triangles
    reached from (x, y) without crossing a segment take the attribute
    (``triangle_attributes``) and, when max_area > 0, that area bound in
    place of the global one. ``max_steiner``: at most that many points
    added (0: none at all, the mesh unrefined but its figures given).
    ``conforming``: segments are split until every edge is Delaunay.
    Triangles pinched between segments at a small angle, or left when the
    budget ran out, are counted in ``quality.unrefined_count``.

    threads: 0 lets the library choose, 1 keeps the work on the calling
    thread, k uses at most k threads. The result is the same for every
    value. The GIL is released during the call.

    Returns a Triangulation. Raises ValueError for points of another shape
    or that are not numbers (None and integers beyond the range of a double
    included), for more points than the library takes (before anything is
    copied), for a thread count that is not a non-negative integer (a
    boolean included), for a min_angle outside [0, 60), a max_area that is
    not positive and finite, a max_steiner that is not a non-negative
    integer, and regions that are not finite (r, 4) numbers; MemoryError
    when the library runs out of memory. Warns (UserWarning) when hole
    points lie on a segment. Prints nothing.
    """
    # Before segments existed, threads was the second positional argument:
    # triangulate(points, 2) keeps meaning two threads, with a warning.
    if isinstance(segments, (int, np.integer)) and not isinstance(segments, (bool, np.bool_)):
        warnings.warn("pass threads by name: triangulate(points, threads=k); the second "
                      "positional argument is now segments", DeprecationWarning, stacklevel=2)
        segments, threads = None, segments
    # True and False are integers to Python, and True would mean one thread.
    if isinstance(threads, (bool, np.bool_)):
        raise ValueError("threads must be an integer, not a boolean")
    try:
        threads = operator.index(threads)
    except TypeError:
        raise ValueError("threads must be an integer") from None
    if not 0 <= threads <= _MAX_THREADS:
        raise ValueError("threads must be 0 (the library's choice) or a positive count")
    settings = refinement(min_angle, max_area, max_steiner, conforming)
    array, stride = _point_array(points)
    count = len(array)
    if segments is not None or holes is not None or region not in (None, "hull") or regions is not None \
            or settings is not None:
        return Triangulation(**triangulate_constrained(array, stride, segments, holes, region, threads, regions,
                                                       settings))

    lib = _library.load()
    blocks = _ResultBlocks(lib)
    status = lib.delaunay2d_triangulate(array.ctypes.data, count, stride, threads, ctypes.byref(blocks.result))
    _library.check(lib, status)

    result = blocks.result
    m = result.triangle_count
    _library.check(lib, lib.delaunay2d_neighbours_opposite_vertex(ctypes.byref(result), result.neighbours))
    simplices = blocks.array(result.triangles, (m, 3), _INT32)
    neighbors = blocks.array(result.neighbours, (m, 3), _INT32)
    hull = blocks.array(result.hull, (result.hull_count,), _INT32)
    vertex_of_point = blocks.array(result.vertex_of_point, (count,), _INT32)
    return Triangulation(array, simplices, neighbors, hull, vertex_of_point)
