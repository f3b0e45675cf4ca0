"""The library's exported records and entry points, through ctypes.

The records mirror the library's C header field for field. Besides the raw
functions (``Library.lib.create_mesh_2d`` and friends, with their argument
and result types declared), ``Library.triangulate`` runs a whole
triangulation and returns plain Python data: each triangle as the indices of
its three vertices in the input sequence and the indices of its three
neighbours in the mesh (None where an edge is on the hull).

Note that the library prints a trace line for every point on the process's
standard output (through the C stdio stream, not Python's ``sys.stdout``),
and ends the process for fewer than three points: ``delaunay2d.triangulate``
does neither.
"""

import ctypes
from dataclasses import dataclass
from typing import List, Optional, Sequence, Tuple

from . import _library


class Point3D(ctypes.Structure):
    _fields_ = [("x", ctypes.c_double), ("y", ctypes.c_double),
                ("z", ctypes.c_double), ("w", ctypes.c_double)]


class Triangle(ctypes.Structure):
    pass


Triangle._fields_ = [
    ("points", ctypes.POINTER(Point3D) * 3),
    ("vor", ctypes.POINTER(Triangle) * 3),
    ("inner_center", Point3D),
    ("outer_center", Point3D),
    ("radius", ctypes.c_double),
]


class Mesh2D(ctypes.Structure):
    """The mesh header; ``length`` Triangle records follow it in memory."""
    _fields_ = [("length", ctypes.c_size_t), ("inner_length", ctypes.c_size_t)]


class Point3DList(ctypes.Structure):
    """The list header; ``length`` Point3D pointers follow it in memory."""
    _fields_ = [("length", ctypes.c_size_t)]


def mesh_triangles(mesh: "ctypes._Pointer[Mesh2D]") -> "ctypes.Array[Triangle]":
    """The triangle array that follows a mesh header, viewed in place."""
    count = mesh.contents.length
    address = ctypes.addressof(mesh.contents) + ctypes.sizeof(Mesh2D)
    return (Triangle * count).from_address(address)


@dataclass
class Mesh:
    """A triangulation in plain Python terms."""
    triangles: List[Tuple[int, int, int]]             # vertex indices into the input
    neighbours: List[Tuple[Optional[int], ...]]       # triangle indices, None on the hull
    inner_length: int                                 # triangles[:inner_length] are inner
    centroids: List[Tuple[float, float, float, float]]


class Library:
    """A loaded delaunay2d shared library."""

    def __init__(self, path: Optional[str] = None):
        """Loads the library at path; by default the one the package uses."""
        self.lib = ctypes.CDLL(path or _library.library_path())
        self.lib.create_mesh_2d.argtypes = [ctypes.POINTER(Point3D), ctypes.c_size_t]
        self.lib.create_mesh_2d.restype = ctypes.POINTER(Mesh2D)
        self.lib.create_triangle_mesh_2d.argtypes = [ctypes.POINTER(Point3DList), ctypes.POINTER(Mesh2D)]
        self.lib.create_triangle_mesh_2d.restype = ctypes.POINTER(Mesh2D)
        self.lib.free_mesh.argtypes = [ctypes.POINTER(Mesh2D)]
        self.lib.free_mesh.restype = None

    def triangulate(self, points: Sequence[Sequence[float]]) -> Mesh:
        """Triangulates points given as (x, y) or (x, y, z, w) tuples.

        At least three points are required: with fewer the library ends the
        whole process, so this refuses them up front.
        """
        if len(points) < 3:
            raise ValueError("at least three points are needed")
        array = (Point3D * len(points))()
        for i, p in enumerate(points):
            coords = tuple(p) + (0.0,) * (4 - len(p))
            array[i] = Point3D(*coords)
        mesh = self.lib.create_mesh_2d(array, len(points))
        try:
            base = ctypes.addressof(array)
            size = ctypes.sizeof(Point3D)
            triangles = mesh_triangles(mesh)
            first = ctypes.addressof(triangles)
            record = ctypes.sizeof(Triangle)

            def vertex(p) -> int:
                return (ctypes.addressof(p.contents) - base) // size

            def neighbour(t) -> Optional[int]:
                return None if not t else (ctypes.addressof(t.contents) - first) // record

            return Mesh(
                triangles=[tuple(vertex(p) for p in t.points) for t in triangles],
                neighbours=[tuple(neighbour(n) for n in t.vor) for t in triangles],
                inner_length=mesh.contents.inner_length,
                centroids=[(t.inner_center.x, t.inner_center.y, t.inner_center.z, t.inner_center.w)
                           for t in triangles],
            )
        finally:
            self.lib.free_mesh(mesh)
