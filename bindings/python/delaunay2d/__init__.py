"""delaunay2d: two-dimensional Delaunay triangulation.

    import numpy as np
    import delaunay2d

    tri = delaunay2d.triangulate(np.random.default_rng(1).random((1000, 2)))
    tri.simplices   # (m, 3) vertex indices, counter-clockwise
    tri.neighbors   # (m, 3) neighbour opposite each vertex, -1 on the hull

``triangulate`` runs the library's index-array call and returns numpy arrays in
scipy.spatial.Delaunay's conventions. The records and entry points that the
library also exports (``create_mesh_2d`` and friends, which print a trace on
standard output) are in ``delaunay2d.records``, with ``Library`` to call
them.

Beyond the triangulation, in scipy's names: ``tri.find_simplex(xi)`` and
the other scipy.spatial.Delaunay attributes on the result,
``LinearNDInterpolator``, ``NearestNDInterpolator``,
``NaturalNeighborInterpolator``, ``CloughTocherInterpolator`` (cubic, C1),
``griddata`` and ``Voronoi`` (with ``cell_polygons(bbox)``). scipy itself is
not needed; ``tri.to_scipy()`` hands the triangulation to scipy's own
interpolators, and ``scipy.spatial.voronoi_plot_2d`` draws ``Voronoi``.

``tile_certain`` tells which triangles of a tile's triangulation are the
whole set's; ``delaunay2d.dask`` (imported on its own, it needs dask and
xarray) builds tiled DEMs with it on a Dask cluster.
"""

from . import _library
from ._library import library_path
from .records import Library, Mesh, Mesh2D, Point3D, Point3DList, Triangle, mesh_triangles
from .triangulation import Triangulation, triangulate
from .interpolate import (CloughTocher2DInterpolator, CloughTocherInterpolator, GradientEstimationWarning,
                          LinearNDInterpolator, NaturalNeighborInterpolator, NearestNDInterpolator, griddata)
from .voronoi import Voronoi
from .tiles import tile_certain

__version__ = "1.1.0"


def version():
    """The version of the loaded shared library, e.g. '1.1.0'."""
    return _library.load().delaunay2d_version().decode("ascii")


__all__ = [
    "Library", "Mesh", "Mesh2D", "Point3D", "Point3DList", "Triangle", "Triangulation",
    "library_path", "mesh_triangles", "triangulate", "version",
    "LinearNDInterpolator", "NaturalNeighborInterpolator", "NearestNDInterpolator", "Voronoi", "griddata",
    "CloughTocherInterpolator", "CloughTocher2DInterpolator", "GradientEstimationWarning", "tile_certain",
]
