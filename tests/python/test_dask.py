"""delaunay2d.dask on a two-process distributed.LocalCluster: its DEMs equal
the program's GeoTIFF (read by GDAL) cell for cell over uniform,
clustered and voided points and several tile sizes; read_las reads LAS
files this test writes; tile_certain's flags hold against the whole set's
own triangulation."""

import os
import struct
import subprocess

import numpy as np
import pytest

dask = pytest.importorskip("dask")
dask_module = pytest.importorskip("delaunay2d.dask")
distributed = pytest.importorskip("distributed")
gdal = pytest.importorskip("osgeo.gdal")

import delaunay2d  # noqa: E402
from delaunay2d.tile_surface import TileJob, in_box, tile_values  # noqa: E402
from delaunay2d.raster_grid import fit_grid  # noqa: E402

PROGRAM = os.environ.get("DELAUNAY2D_PROGRAM")


@pytest.fixture(scope="module")
def client():
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) \
            as cluster, distributed.Client(cluster) as client:
        yield client


def surface(x, y):
    return np.sin(x / 7.0) * 20.0 + y * 0.3


def uniform_points(rng, n=4000):
    xy = rng.random((n, 2)) * (120.0, 80.0) + (1000.0, 5000.0)
    return np.column_stack((xy, surface(xy[:, 0], xy[:, 1])))


def clustered_points(rng):
    centres = rng.random((6, 2)) * 100.0
    xy = np.concatenate([c + rng.normal(scale=4.0, size=(500, 2)) for c in centres])
    # Repeated points keep their first z in one pass; here they differ.
    xy = np.concatenate((xy, xy[:50]))
    z = np.concatenate((surface(xy[:-50, 0], xy[:-50, 1]), np.full(50, 999.0)))
    return np.column_stack((xy, z))


def voided_points(rng):
    """An L of points with a frame around it: the inside of the L's corner
    is a void spanned by long triangles, whose cells settle only once a
    tile has seen far across it."""
    xy = rng.random((6000, 2)) * 100.0
    xy = xy[(xy[:, 0] < 25.0) | (xy[:, 1] < 25.0)]
    frame = np.array([[100.0, 100.0], [60.0, 100.0], [100.0, 60.0]])
    xy = np.concatenate((xy, frame))
    return np.column_stack((xy, surface(xy[:, 0], xy[:, 1])))


def program_dem(tmp_path, points, options):
    """The program's GeoTIFF of points, read by GDAL: (geotransform, values)."""
    text = tmp_path / "points.txt"
    np.savetxt(text, points, fmt="%.17g")
    tif = tmp_path / "program.tif"
    subprocess.run([PROGRAM, str(text), "-o", str(tif)] + options, check=True, capture_output=True)
    return raster(tif)


def raster(path):
    dataset = gdal.Open(str(path))
    band = dataset.GetRasterBand(1)
    return dataset.GetGeoTransform(), band.ReadAsArray(), band.GetNoDataValue()


def assert_same_cells(left, right, method="linear"):
    """Bit for bit, nodata included. Natural-neighbour values sum their
    weights in the mesh's order, which a tile's numbering changes: they
    may differ in the last bits of a double, and so by one float32 step."""
    assert left.shape == right.shape
    assert left.dtype == right.dtype == np.float32
    if method == "linear":
        assert np.array_equal(left.view(np.uint32), right.view(np.uint32))
    else:
        np.testing.assert_array_max_ulp(left, right, maxulp=1)  # nodata against a value fails too


@pytest.mark.skipif(not PROGRAM, reason="DELAUNAY2D_PROGRAM names the program to compare with")
@pytest.mark.parametrize("kind, method, cell, options, tiles", [
    ("uniform", "linear", 1.7, [], [(7, 0.5), (23, None), (None, None)]),
    ("clustered", "natural", 1.3, ["--align", "--nodata", "-32768"], [(9, 0.5), (40, None)]),
    ("voided", "linear", 1.1, ["--bounds", "-10", "-5", "104", "107"], [(12, 1.5), (17, None)]),
    ("voided", "natural", 1.1, ["--bounds", "-10", "-5", "104", "107"], [(13, 0.5)]),
])
def test_dem_equals_the_programs_raster(client, tmp_path, kind, method, cell, options, tiles):
    """A halo of 0.5 (a fraction of the points' spacing) makes most tiles
    grow; a larger grid than the points puts cells beyond the hull."""
    rng = np.random.default_rng(len(kind))
    points = {"uniform": uniform_points, "clustered": clustered_points, "voided": voided_points}[kind](rng)
    options = ["--cell", str(cell), "--method", method] + options
    transform, expected, nodata = program_dem(tmp_path, points, options)
    kwargs = {"align": "--align" in options, "method": method}
    if "--nodata" in options:
        kwargs["nodata"] = float(options[options.index("--nodata") + 1])
    if "--bounds" in options:
        kwargs["bounds"] = [float(v) for v in options[options.index("--bounds") + 1:][:4]]
    # Partitions of 700 points: every tile gathers its points from several.
    array = dask_module.da.from_array(points, chunks=(700, 3))
    for tile, halo in tiles:
        result = dask_module.dem(array, cell, tile=tile, halo=halo, **kwargs)
        assert result.rio.transform().to_gdal() == transform
        assert result.attrs["_FillValue"] == nodata
        assert_same_cells(result.values, expected, method)
    # Written by rioxarray, read by GDAL: the program's file, CRS included.
    _, expected, _ = program_dem(tmp_path, points, options + ["--crs", "EPSG:32633"])
    written = tmp_path / "dask.tif"
    dask_module.dem(array, cell, tile=tiles[0][0], crs="EPSG:32633", **kwargs).rio.to_raster(
        written, recalc_transform=False)
    got_transform, got, got_nodata = raster(written)
    assert (got_transform, got_nodata) == (transform, nodata)
    assert_same_cells(got, expected, method)
    dataset = gdal.Open(str(written))  # kept: GDAL's objects need their dataset alive
    assert dataset.GetSpatialRef().GetAuthorityCode(None) == "32633"


def test_a_cell_across_a_void_grows_the_halo():
    """The void's tile cannot settle with its first halo: it reads a larger
    box, and its values equal those of the whole set's triangulation."""
    points = voided_points(np.random.default_rng(5))
    grid = fit_grid(2.0, (0.0, 0.0, 100.0, 100.0))
    bounds = (points[:, 0].min(), points[:, 1].min(), points[:, 0].max(), points[:, 1].max())
    job = TileJob(grid, (10, 20), (30, 40), bounds, 2.0, -9999.0)
    reads = []

    def read_box(box):
        reads.append(box)
        keep = np.flatnonzero(in_box(points[:, 0], points[:, 1], box))
        return keep, points[keep]

    first = np.flatnonzero(in_box(points[:, 0], points[:, 1], job.seen_box(job.halo)))
    values, halo = tile_values(job, first[::-1], points[first[::-1]], read_box)
    assert halo > job.halo and reads
    whole = delaunay2d.LinearNDInterpolator(points[:, :2], points[:, 2], fill_value=-9999.0)
    assert np.array_equal(values.ravel(), whole(job.centres()))
    # The same through dem() without the cluster's workers: every double
    # equal to the whole set's.
    with dask.config.set(scheduler="sync"):
        result = dask_module.dem(points, 2.0, tile=7, halo=1.0, dtype=np.float64)
        xx, yy = np.meshgrid(result.x.values, result.y.values)
        assert np.array_equal(result.values, whole(xx, yy))


def test_tile_certain_flags_agree_with_the_whole_triangulation():
    rng = np.random.default_rng(11)
    points = rng.random((3000, 2)) * 100.0
    points = np.concatenate((points, [[50.0, 50.0], [50.0, 60.0], [60.0, 60.0], [60.0, 50.0]]))  # cocircular
    bounds = (points[:, 0].min(), points[:, 1].min(), points[:, 0].max(), points[:, 1].max())
    whole = delaunay2d.triangulate(points)
    triangles = {frozenset(t) for t in whole.simplices.tolist()}
    hull_edges = {frozenset(e) for e in whole.convex_hull.tolist()}
    for seen in ((30.0, 30.0, 70.0, 70.0), (-1.0, -1.0, 40.0, 40.0), (20.0, -5.0, 105.0, 45.0)):
        inside = np.flatnonzero(in_box(points[:, 0], points[:, 1], seen))
        tile = delaunay2d.triangulate(points[inside])
        certain, certain_hull = delaunay2d.tile_certain(tile, seen, bounds)
        assert 0 < certain.sum() < len(certain)
        for t in tile.simplices[certain]:
            assert frozenset(inside[t].tolist()) in triangles
        for i in np.flatnonzero(certain_hull):
            edge = (tile.hull[i], tile.hull[(i + 1) % len(tile.hull)])
            assert frozenset(inside[list(edge)].tolist()) in hull_edges
        if seen[0] < 0:
            assert certain_hull.any()
    everything = delaunay2d.tile_certain(whole, bounds, bounds)
    assert everything[0].all() and everything[1].all()
    with pytest.raises(ValueError):
        delaunay2d.tile_certain(whole, (0.0, np.nan, 1.0, 1.0), bounds)
    with pytest.raises(ValueError):
        delaunay2d.tile_certain(whole, (0.0, 0.0, 1.0), bounds)


# ------------------------------------------------------------------ LAS
RECORD_BYTES = {0: 20, 1: 28, 3: 34, 6: 30}


def write_las(path, points, classes, point_format, version, extra=0):
    """A LAS file of the points (multiples of 1/8, exactly scaled) with the
    header fields a reader needs; LAS 1.4 leaves its legacy count 0."""
    minor = version[1]
    header_size = 375 if minor >= 4 else 227
    length = RECORD_BYTES[point_format] + extra
    scale, offset = (0.125, 0.125, 0.125), (1000.0, 5000.0, 0.0)
    header = bytearray(header_size)
    header[0:4] = b"LASF"
    header[24:26] = bytes(version)
    struct.pack_into("<HIIBHI", header, 94, header_size, header_size + 16, 0, point_format, length,
                     0 if minor >= 4 else len(points))
    struct.pack_into("<3d3d", header, 131, *scale, *offset)
    if minor >= 4:
        struct.pack_into("<Q", header, 247, len(points))
    records = np.zeros(len(points), dtype=np.dtype({"names": ["XYZ"], "formats": [("<i4", 3)], "offsets": [0],
                                                     "itemsize": length}))
    records["XYZ"] = np.rint((points - offset) / scale).astype(np.int32)
    raw = records.view(np.uint8).reshape(len(points), length)
    if point_format <= 5:
        raw[:, 15] = classes | 0xE0  # synthetic, key-point and withheld bits above the class
    else:
        raw[:, 16] = classes
    with open(path, "wb") as f:
        f.write(header + bytes(16) + raw.tobytes())


def test_read_las_gives_the_points_and_their_dem(client, tmp_path):
    rng = np.random.default_rng(3)
    points = np.rint(uniform_points(rng, 3000) * 8.0) / 8.0
    classes = rng.integers(0, 20, len(points)).astype(np.uint8)
    parts = np.array_split(np.arange(len(points)), 4)
    paths = []
    for part, (point_format, version, extra) in zip(parts, [(0, (1, 2), 0), (1, (1, 2), 3), (3, (1, 4), 0),
                                                            (6, (1, 4), 5)]):
        paths.append(tmp_path / "part{}.las".format(point_format))
        write_las(paths[-1], points[part], classes[part], point_format, version, extra)
    frame = dask_module.read_las(paths, chunk=300)
    assert frame.npartitions == sum(-(-len(p) // 300) for p in parts)
    read = frame.compute()
    assert np.array_equal(read[["x", "y", "z"]].to_numpy(), points)
    assert np.array_equal(read["classification"].to_numpy(), classes)
    from_las = dask_module.dem(frame, 2.5, tile=11)
    from_numpy = dask_module.dem(points, 2.5, tile=11)
    assert_same_cells(from_las.values, from_numpy.values)
    laz = tmp_path / "points.laz"
    laz.write_bytes(paths[0].read_bytes())
    with pytest.raises(ValueError, match="LAZ"):
        dask_module.read_las(laz)
    truncated = tmp_path / "truncated.las"
    truncated.write_bytes(paths[0].read_bytes()[:-1])
    with pytest.raises(ValueError, match="past the end"):
        dask_module.read_las(truncated)
