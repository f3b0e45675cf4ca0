"""``tile_certain``: which triangles of a tile's triangulation are certainly
triangles of the whole set's, through the library's
``delaunay2d_tile_certain``.

A set too large for one call is triangulated tile by tile: a tile's call is
given every point of the whole set inside a box ``seen`` (its own part and
a halo), and a triangle whose circumdisk, cut to the whole set's
``bounds``, lies inside ``seen`` has no other point of the set in it, so it
is Delaunay in the whole set too. ``delaunay2d.dask`` builds tiled DEMs on
this.
"""

import ctypes

import numpy as np

from . import _library, _operations
from .triangulation import Triangulation


class Tile(ctypes.Structure):
    """delaunay2d_tile, field for field."""
    _fields_ = [
        ("struct_size", ctypes.c_size_t),
        ("seen", ctypes.c_double * 4),
        ("bounds", ctypes.c_double * 4),
    ]


_declared = set()


def _load():
    lib = _operations.load()
    if id(lib) not in _declared:
        lib.delaunay2d_tile_certain.argtypes = [
            ctypes.c_void_p, ctypes.c_size_t, ctypes.POINTER(_library.Result), ctypes.POINTER(Tile),
            ctypes.c_void_p, ctypes.c_void_p]
        lib.delaunay2d_tile_certain.restype = ctypes.c_int
        _declared.add(id(lib))
    return lib


def _box(name, box):
    """A box (min x, min y, max x, max y) of four numbers, none NaN, the
    minimum at or below the maximum."""
    try:
        values = np.asarray(box, dtype=np.float64)
    except (TypeError, ValueError):
        raise ValueError("{} must be four numbers: min x, min y, max x, max y".format(name)) from None
    if values.shape != (4,):
        raise ValueError("{} must be four numbers: min x, min y, max x, max y, not shape {}".format(
            name, values.shape))
    if np.isnan(values).any():
        raise ValueError("{} has a NaN: {}".format(name, list(values)))
    if not (values[0] <= values[2] and values[1] <= values[3]):
        raise ValueError("{}: the minimum lies above the maximum: {}".format(name, list(values)))
    return values


def tile_certain(tri, seen, bounds):
    """Marks the triangles and hull edges of ``tri`` that are certainly the
    whole set's.

    tri: a Triangulation from ``triangulate`` (without segments or
    refinement) of the tile's points: every point of the whole set inside
    the closed box ``seen`` (min x, min y, max x, max y). bounds: the box
    of the whole set's finite points.

    Returns (certain_triangle, certain_hull_edge), boolean arrays:
    certain_triangle[t] says triangle t (``tri.simplices[t]``) is a
    triangle of the whole set's triangulation; certain_hull_edge[i] says
    the edge from ``tri.hull[i]`` to ``tri.hull[(i + 1) % len(tri.hull)]``
    is an edge of the whole set's convex hull. The test is conservative:
    a triangle at its edge within rounding is reported uncertain (a larger
    ``seen`` settles it). With ``seen`` holding ``bounds``, all is certain.

    Raises ValueError for a tri that is not a plain Triangulation, and for
    boxes that are not four numbers without NaN, min at or below max.
    """
    if not isinstance(tri, Triangulation):
        raise ValueError("tile_certain takes a Triangulation from delaunay2d.triangulate, not {}".format(
            type(tri).__name__))
    if len(tri.segments) or tri.quality is not None:
        raise ValueError("tile_certain takes the plain triangulation of the tile's points, without segments, "
                         "holes, regions or refinement")
    tile = Tile()
    tile.struct_size = ctypes.sizeof(Tile)
    tile.seen[:] = list(_box("seen", seen))
    tile.bounds[:] = list(_box("bounds", bounds))
    certain_triangle = np.zeros(len(tri.simplices), dtype=np.uint8)
    certain_hull_edge = np.zeros(len(tri.hull), dtype=np.uint8)
    if len(tri.points) == 0:
        return certain_triangle.astype(bool), certain_hull_edge.astype(bool)
    lib = _load()
    record = _operations.record_of(tri)
    status = lib.delaunay2d_tile_certain(
        record.coords, record.stride, record.ref(), ctypes.byref(tile),
        certain_triangle.ctypes.data if len(certain_triangle) else None,
        certain_hull_edge.ctypes.data if len(certain_hull_edge) else None)
    _library.check(lib, status)
    return certain_triangle.astype(bool), certain_hull_edge.astype(bool)
