"""delaunay2d.dask's DEM on a two-worker LocalCluster against the program's, on
the same points and grid: both times, and how many cells differ (GDAL reads
the program's GeoTIFF).

    python3 bench/dask_vs_program.py PROGRAM [--n 1000000] [--tile 500]

PROGRAM is the built program (build/tools/delaunay2d). The points are
uniform over 1000 m x 1000 m in UTM-like coordinates, with 1 m cells. Run
it with PYTHONPATH=bindings/python and DELAUNAY2D_LIBRARY set, or with the
installed package.
"""

import argparse
import os
import subprocess
import tempfile
import time

import numpy as np


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("program")
    parser.add_argument("--n", type=int, default=1_000_000)
    parser.add_argument("--tile", type=int, default=500)
    args = parser.parse_args()

    from distributed import Client, LocalCluster
    from osgeo import gdal

    import delaunay2d.dask as d2d

    rng = np.random.default_rng(7)
    xy = rng.random((args.n, 2)) * 1000.0 + (500000.0, 5200000.0)
    points = np.column_stack((xy, np.sin(xy[:, 0] / 50.0) * 30.0 + xy[:, 1] * 0.01 - 52000.0))
    with tempfile.TemporaryDirectory() as work:
        text, tif = os.path.join(work, "points.txt"), os.path.join(work, "dem.tif")
        np.savetxt(text, points, fmt="%.17g")
        start = time.perf_counter()
        subprocess.run([args.program, text, "-o", tif, "--cell", "1", "--threads", "2"], check=True)
        print("program, 2 threads (reading the text included): {:.1f} s".format(time.perf_counter() - start))
        dataset = gdal.Open(tif)
        expected = dataset.GetRasterBand(1).ReadAsArray()
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster):
        start = time.perf_counter()
        values = d2d.dem(d2d.da.from_array(points, chunks=(250_000, 3)), 1.0, tile=args.tile).values
        tiles = -(-values.shape[0] // args.tile) * -(-values.shape[1] // args.tile)
        print("delaunay2d.dask, 2 workers, {} tiles: {:.1f} s".format(tiles, time.perf_counter() - start))
    differ = int((values.view(np.uint32) != expected.view(np.uint32)).sum())
    print("cells that differ: {} of {}".format(differ, values.size))


if __name__ == "__main__":
    main()
