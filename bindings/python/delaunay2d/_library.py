"""Finds and loads the delaunay2d shared library, and declares the index-array
call's C types for ctypes.

The installed package carries its own copy of the library, built with it,
beside this file. A source checkout has none: there the library comes from
``DELAUNAY2D_LIBRARY`` (a path, for development and the build's own tests),
or else from the system (a library installed from the Debian package or
with ``cmake --install``).
"""

import ctypes
import ctypes.util
import os
import threading

PACKAGE_DIR = os.path.dirname(os.path.abspath(__file__))

from ._library_file import LIBRARY_FILE

# delaunay2d_status
OK = 0
INVALID_ARGUMENT = 1
OUT_OF_MEMORY = 2
TOO_MANY_POINTS = 3

# DELAUNAY2D_MAX_POINTS, the most points one call takes (a test checks that
# this copy agrees with the header and the library).
MAX_POINTS = 134217664


class Result(ctypes.Structure):
    """delaunay2d_result, field for field."""
    _fields_ = [
        ("point_count", ctypes.c_size_t),
        ("triangle_count", ctypes.c_size_t),
        ("triangles", ctypes.POINTER(ctypes.c_uint32)),
        ("neighbours", ctypes.POINTER(ctypes.c_int32)),
        ("hull_count", ctypes.c_size_t),
        ("hull", ctypes.POINTER(ctypes.c_uint32)),
        ("vertex_of_point", ctypes.POINTER(ctypes.c_int32)),
    ]


def library_path():
    """The path (or name) of the shared library that this package loads."""
    override = os.environ.get("DELAUNAY2D_LIBRARY")
    if override:
        return override
    packaged = os.path.join(PACKAGE_DIR, LIBRARY_FILE)
    if os.path.exists(packaged):
        return packaged
    found = ctypes.util.find_library("delaunay2d")
    if found:
        return found
    raise OSError(
        "the delaunay2d shared library is not found: install this package with pip "
        "(which builds it), install the library, or set DELAUNAY2D_LIBRARY to its path")


def declare_index_array_call(lib):
    """Declares the argument and result types of the index-array call on lib."""
    lib.delaunay2d_triangulate.argtypes = [
        ctypes.c_void_p, ctypes.c_size_t, ctypes.c_size_t, ctypes.c_uint, ctypes.POINTER(Result)]
    lib.delaunay2d_triangulate.restype = ctypes.c_int
    lib.delaunay2d_result_free.argtypes = [ctypes.POINTER(Result)]
    lib.delaunay2d_result_free.restype = None
    lib.delaunay2d_status_message.argtypes = [ctypes.c_int]
    lib.delaunay2d_status_message.restype = ctypes.c_char_p
    lib.delaunay2d_version.argtypes = []
    lib.delaunay2d_version.restype = ctypes.c_char_p
    lib.delaunay2d_neighbours_opposite_vertex.argtypes = [ctypes.POINTER(Result), ctypes.c_void_p]
    lib.delaunay2d_neighbours_opposite_vertex.restype = ctypes.c_int
    return lib


def check(lib, status):
    """Raises for a status other than OK: MemoryError, ValueError for the
    caller's mistakes, RuntimeError for anything else."""
    if status == OK:
        return
    message = "delaunay2d: " + lib.delaunay2d_status_message(status).decode("utf-8", "replace")
    if status == OUT_OF_MEMORY:
        raise MemoryError(message)
    if status in (INVALID_ARGUMENT, TOO_MANY_POINTS):
        raise ValueError(message)
    raise RuntimeError(message)


def number_by_opposite_vertex(lib, address, triangle_count):
    """Renumbers, in place, 3 * triangle_count int32 entries at address
    from the library's numbering by edge (v[k], v[k+1]) to scipy's by
    opposite vertex, through the library's own
    delaunay2d_neighbours_opposite_vertex (which turns each triple by one
    place: three turns give the entries back)."""
    if triangle_count == 0:
        return
    view = Result()
    view.triangle_count = triangle_count
    view.neighbours = ctypes.cast(address, ctypes.POINTER(ctypes.c_int32))
    check(lib, lib.delaunay2d_neighbours_opposite_vertex(ctypes.byref(view), address))


_loaded = None
_loading = threading.Lock()


def load():
    """The library, loaded on first use (importing the package loads nothing)."""
    global _loaded
    with _loading:
        if _loaded is None:
            _loaded = declare_index_array_call(ctypes.CDLL(library_path()))
        return _loaded
