"""The package's shape, with pytest: its modules import one another in one
direction only, and its copy of the point limit agrees with the header and
the library."""

import ast
import ctypes
import os
import re

import delaunay2d
from delaunay2d import _library

PACKAGE_DIR = os.path.dirname(delaunay2d.__file__)
HEADER_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "include")

# Each module may import only modules of lower layers (so no import loop,
# also through an import inside a function).
LAYERS = {
    "_library_file": 0, "las": 0, "raster_grid": 0,
    "_library": 1,
    "_operations": 2, "constrained": 2, "records": 2,
    "queries": 3, "clough_tocher": 3,
    "triangulation": 4,
    "interpolate": 5, "voronoi": 5, "triangle": 5, "tiles": 5,
    "__init__": 6, "tile_surface": 6,
    "dask": 7,
}


def package_imports(module):
    with open(os.path.join(PACKAGE_DIR, module + ".py")) as source:
        tree = ast.parse(source.read())
    for node in ast.walk(tree):
        if isinstance(node, ast.ImportFrom) and node.level == 1:
            if node.module:
                yield node.module
            else:
                yield from (alias.name for alias in node.names)


def test_modules_import_only_lower_layers():
    files = {name[:-3] for name in os.listdir(PACKAGE_DIR) if name.endswith(".py")}
    assert files == set(LAYERS)
    for module, layer in LAYERS.items():
        for imported in package_imports(module):
            assert LAYERS[imported] < layer, "{} imports {}".format(module, imported)


def test_point_limit_agrees_with_header_and_library():
    defined = []
    for name in os.listdir(HEADER_DIR):
        with open(os.path.join(HEADER_DIR, name)) as header:
            defined += re.findall(r"#define DELAUNAY2D_MAX_POINTS (\d+)u", header.read())
    assert defined == [str(_library.MAX_POINTS)]
    # One past the limit is refused before a coordinate is read.
    lib = _library.load()
    result = _library.Result()
    dummy = ctypes.c_double(0.0)
    status = lib.delaunay2d_triangulate(ctypes.addressof(dummy), _library.MAX_POINTS + 1, 2, 1, ctypes.byref(result))
    assert status == _library.TOO_MANY_POINTS
