"""Tiled DEMs on a Dask cluster: ``dem`` turns a dask array (n, 3) or a dask
DataFrame of x, y, z into a dask-backed ``xarray.DataArray`` on the grid the
``delaunay2d`` program fits, equal to the program's raster cell for cell;
``read_las`` reads LAS files into a dask DataFrame.

    partitions of the input        tiles of the grid
    [p0] [p1] [p2] ...    -->   +-----+-----+-----+
      | split by the seen box   | t00 | t01 | t02 |   each tile: triangulate
      | of every tile a point   +-----+-----+-----+   its points in input
      v falls in (core + halo)  | t10 | t11 | t12 |   order, certify, fill
    one piece per (partition,   +-----+-----+-----+   its core's cells
    tile) pair, on the workers

A tile whose halo proves too small (a cell in a triangle that may not be
the whole set's, or outside its hull without proof that it is outside the
whole set's) grows its halo and reads the points of the larger box again
from the partitions whose extent meets it (on a cluster, as tasks the tile's
worker submits). Needs dask and xarray (and, for dask DataFrames and
``read_las``, pandas; for the transform and ``crs=``, rioxarray).
"""

import math

import dask
import dask.array as da
import numpy as np
import xarray as xr

from . import las
from .raster_grid import fit_grid
from .tile_surface import TileJob, in_box, tile_values

# Points per core that the default tile size aims at: a few million, about
# a second and a few hundred megabytes per tile.
POINTS_PER_TILE = 2_000_000
# Rows per partition of read_las and of a numpy array handed to dem.
POINTS_PER_PARTITION = 1_000_000


def _xyz_of(part):
    """A partition as a C-contiguous float64 (m, 3) array of x, y, z."""
    if hasattr(part, "columns"):  # a pandas DataFrame
        return np.ascontiguousarray(part[["x", "y", "z"]].to_numpy(dtype=np.float64))
    return np.ascontiguousarray(np.asarray(part, dtype=np.float64).reshape(-1, 3))


def _extent_of(part):
    """(count, box of the finite points or None) of one partition."""
    xyz = _xyz_of(part)
    finite = np.isfinite(xyz[:, 0]) & np.isfinite(xyz[:, 1])
    if not finite.any():
        return len(xyz), None
    x, y = xyz[finite, 0], xyz[finite, 1]
    return len(xyz), (float(x.min()), float(y.min()), float(x.max()), float(y.max()))


def _points_in(part, first, box):
    """The partition's points in the closed box, with their indices in the
    whole set (the partition's first point is index first)."""
    xyz = _xyz_of(part)
    keep = np.flatnonzero(in_box(xyz[:, 0], xyz[:, 1], box))
    return keep.astype(np.int64) + first, xyz[keep]


def _split(part, first, boxes):
    """The partition's points in each tile's box: {tile: (indices, xyz)}."""
    xyz = _xyz_of(part)
    pieces = {}
    for tile, box in boxes.items():
        keep = np.flatnonzero(in_box(xyz[:, 0], xyz[:, 1], box))
        pieces[tile] = (keep.astype(np.int64) + first, xyz[keep])
    return pieces


def _piece(pieces, tile):
    return pieces[tile]


def _meets(a, b):
    return a is not None and a[0] <= b[2] and b[0] <= a[2] and a[1] <= b[3] and b[1] <= a[3]


def _joined(pieces):
    if not pieces:
        return np.empty(0, dtype=np.int64), np.empty((0, 3))
    return np.concatenate([p[0] for p in pieces]), np.concatenate([p[1] for p in pieces])


class PointSource:
    """The input's partitions as delayed objects, with the index of each
    one's first point and its extent. A plain object, so that dask hands it
    to a tile's task as it is, without computing the partitions in it."""

    def __init__(self, parts):
        self.parts = parts
        self.firsts = None
        self.extents = None

    def measure(self):
        """Counts and extents of every partition, in one pass over the data."""
        found = dask.compute(*[dask.delayed(_extent_of)(p) for p in self.parts])
        counts = [count for count, _ in found]
        self.firsts = [int(v) for v in np.concatenate(([0], np.cumsum(counts)[:-1]))] if counts else []
        self.extents = [extent for _, extent in found]
        return sum(counts)

    def read_box(self, box):
        """(indices, xyz) of every point in the box: the partitions whose
        extent meets it, read again and filtered. On a cluster's worker the
        reads are tasks of the cluster (this task steps aside meanwhile);
        elsewhere they run here."""
        reads = [dask.delayed(_points_in)(p, first, box)
                 for p, first, extent in zip(self.parts, self.firsts, self.extents) if _meets(extent, box)]
        try:
            from distributed import get_worker, worker_client
            get_worker()
        except (ImportError, ValueError):
            return _joined(dask.compute(*reads, scheduler="sync"))
        with worker_client() as client:
            return _joined(client.gather(client.compute(reads)))


def _source_of(points):
    if hasattr(points, "to_delayed") and hasattr(points, "columns"):  # a dask DataFrame
        missing = {"x", "y", "z"} - set(points.columns)
        if missing:
            raise ValueError("the DataFrame needs columns x, y and z; it lacks {}".format(sorted(missing)))
        return PointSource(list(points[["x", "y", "z"]].to_delayed()))
    if isinstance(points, da.Array):
        array = points
    else:
        array = np.asarray(points, dtype=np.float64)
        if array.ndim == 2:
            array = da.from_array(array, chunks=(POINTS_PER_PARTITION, array.shape[1]))
    if array.ndim != 2 or array.shape[1] != 3:
        raise ValueError("points must be a dask array (n, 3) of x, y, z, not shape {}".format(array.shape))
    array = array.rechunk({1: 3})
    return PointSource(list(array.to_delayed().ravel()))


def _tile_task(pieces, job, source, dtype):
    if not isinstance(source, PointSource):
        # The scattered source, as a scheduler other than the cluster's
        # (scheduler="sync" under a client) hands it over: a Future.
        source = source.result()
    index, xyz = _joined(pieces)
    values, _ = tile_values(job, index, xyz, source.read_box)
    return values.astype(dtype)


def _shared(source):
    """The source as the tiles' tasks take it: on a distributed cluster,
    sent to every worker once (its partitions' graphs would otherwise
    travel with every tile's task); elsewhere as it is."""
    try:
        from distributed import default_client
        client = default_client()
    except (ImportError, ValueError):
        return source
    return client.scatter(source, broadcast=True, hash=False)


def _default_tile(count, extent, cell):
    """Cells on a side of a core that holds about POINTS_PER_TILE points at
    the points' mean density."""
    area = max((extent[2] - extent[0]) * (extent[3] - extent[1]), 1e-300)
    side = math.sqrt(POINTS_PER_TILE * area / max(count, 1))
    return max(16, int(math.ceil(side / cell)))


def dem(points, cell, bounds=None, method="linear", tile=None, *, align=False, nodata=-9999.0, crs=None,
        halo=None, dtype=np.float32, threads=1):
    """A DEM of points on a Dask cluster, equal cell for cell to the program's
    ``delaunay2d points -o dem.tif --cell CELL [--bounds ...] [--align]
    [--nodata V]``.

    points: a dask array (n, 3) of x, y, z, a dask DataFrame with columns
    x, y and z (``read_las``), or a numpy array (n, 3). cell: the cell
    size. bounds: (min x, min y, max x, max y) of the grid, else the
    points' extent. method: "linear" (barycentric on the triangles) or
    "natural" (Sibson's natural neighbours), as the program's --method.
    tile: cells on a side of a tile's core (default: about two million
    points per tile). align: the grid starts at a whole multiple of the
    cell. nodata: the value outside the points' hull. crs: a coordinate
    system ("EPSG:32633", ...) written with rioxarray. halo: the first
    halo around a core, in the points' units (default: 8 mean point
    spacings; it doubles where it is too small). dtype: the values' type,
    float32 as in the program's GeoTIFF. threads: library threads per tile
    (1: the cluster's workers already run a tile per core; 0 lets the
    library choose). The values are the same for every tile size, halo
    and thread count.

    Reads the points once here (their count and extent); the returned
    DataArray (y, x) is lazy (under a distributed client, bound to it: the
    list of partitions is sent to its workers here), one chunk per tile, with coordinates of the
    cells' centres (y from the north), ``_FillValue`` and ``nodata``
    attributes and, with rioxarray installed, its transform (and crs) so
    that ``.rio.to_raster(path)`` writes a GeoTIFF.
    Raises ValueError for points of another shape, a cell that is not
    positive, an empty extent or another method.
    """
    if method not in ("linear", "natural"):
        raise ValueError("method must be 'linear' or 'natural', not {!r}".format(method))
    source = _source_of(points)
    count = source.measure()
    found = [e for e in source.extents if e is not None]
    if not found:
        raise ValueError("the points have no finite x and y")
    extent = (min(e[0] for e in found), min(e[1] for e in found), max(e[2] for e in found),
              max(e[3] for e in found))
    grid = fit_grid(cell, extent if bounds is None else bounds, align)
    if tile is None:
        tile = _default_tile(count, extent, grid.cell)
    if int(tile) != tile or tile < 1:
        raise ValueError("tile must be a positive count of cells, not {!r}".format(tile))
    tile = int(tile)
    if halo is None:
        area = max((extent[2] - extent[0]) * (extent[3] - extent[1]), 0.0)
        halo = 8.0 * math.sqrt(area / max(count, 1))
    # The halo doubles until it is large enough, so it must not start at 0.
    halo = max(float(halo), grid.cell)

    # Tiles are numbered row by row; plain integers, so that no tile's name
    # can pass for a key of the task graph.
    tile_rows, tile_columns = math.ceil(grid.rows / tile), math.ceil(grid.columns / tile)
    jobs = {}
    for i, r0 in enumerate(range(0, grid.rows, tile)):
        for j, c0 in enumerate(range(0, grid.columns, tile)):
            rows, columns = (r0, min(r0 + tile, grid.rows)), (c0, min(c0 + tile, grid.columns))
            jobs[i * tile_columns + j] = TileJob(grid, rows, columns, extent, halo, nodata, threads, method)
    boxes = {key: job.seen_box(job.halo) for key, job in jobs.items()}
    pieces = {key: [] for key in jobs}
    for part, first, part_extent in zip(source.parts, source.firsts, source.extents):
        touched = {key: box for key, box in boxes.items() if _meets(part_extent, box)}
        if not touched:
            continue
        split = dask.delayed(_split, pure=True)(part, first, touched)
        for key in touched:
            pieces[key].append(dask.delayed(_piece, pure=True)(split, key))

    shared = _shared(source)
    blocks = []
    for i in range(tile_rows):
        row = []
        for j in range(tile_columns):
            key = i * tile_columns + j
            job = jobs[key]
            values = dask.delayed(_tile_task, pure=True)(pieces[key], job, shared, dtype)
            row.append(da.from_delayed(values, job.shape(), dtype=dtype))
        blocks.append(row)
    surface = da.block(blocks)

    y = grid.centre_y(np.arange(grid.rows))
    x = grid.centre_x(np.arange(grid.columns))
    out = xr.DataArray(surface, dims=("y", "x"), coords={"y": y, "x": x}, name="z",
                       attrs={"_FillValue": nodata, "nodata": nodata, "cell": grid.cell})
    try:
        import rioxarray  # noqa: F401 (registers the .rio accessor)
    except ImportError:
        if crs is not None:
            raise ImportError("crs= is written with rioxarray: install it (Debian: python3-rioxarray)") from None
        return out
    from affine import Affine
    out = out.rio.write_transform(Affine.from_gdal(*grid.transform()))
    out = out.rio.write_nodata(nodata, encoded=False)
    if crs is not None:
        out = out.rio.write_crs(crs)
    return out


def _las_part(header, start, count):
    import pandas as pd
    return pd.DataFrame(las.read_points(header, start, count))


def read_las(paths, chunk=POINTS_PER_PARTITION):
    """A dask DataFrame of the points of LAS files (a path or a list):
    columns x, y, z (float64, scaled and offset) and classification
    (uint8), one partition per ``chunk`` points of a file, in file and
    record order. The headers are read here; the points when computed.
    Raises ValueError for a file that is not LAS or is compressed (LAZ)."""
    import dask.dataframe as dd
    import pandas as pd
    if isinstance(paths, (str, bytes)) or not hasattr(paths, "__iter__"):
        paths = [paths]
    if int(chunk) != chunk or chunk < 1:
        raise ValueError("chunk must be a positive count of points, not {!r}".format(chunk))
    parts = []
    for path in paths:
        header = las.read_header(path)
        for start in range(0, header.point_count, int(chunk)):
            parts.append(dask.delayed(_las_part, pure=True)(header, start, int(chunk)))
    meta = pd.DataFrame({"x": np.empty(0), "y": np.empty(0), "z": np.empty(0),
                         "classification": np.empty(0, dtype=np.uint8)})
    if not parts:
        return dd.from_pandas(meta, npartitions=1)
    return dd.from_delayed(parts, meta=meta, verify_meta=False)
