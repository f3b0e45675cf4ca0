"""Cost of the Python binding: delaunay2d.triangulate() against the index-array
call it wraps, called directly through ctypes on the same array.

    python3 bench/python_binding.py [--n 1000000] [--repeat 5] [--threads 0]

Run it with the installed package, or from a source checkout with
PYTHONPATH=bindings/python and DELAUNAY2D_LIBRARY=path/to/libdelaunay2d.so.
Prints the median and best time of each and their ratio.
"""

import argparse
import ctypes
import statistics
import time

import numpy as np

import delaunay2d
from delaunay2d import _library


def c_call(lib, points, threads):
    result = _library.Result()
    status = lib.delaunay2d_triangulate(points.ctypes.data, len(points), points.shape[1], threads,
                                        ctypes.byref(result))
    assert status == _library.OK
    lib.delaunay2d_result_free(ctypes.byref(result))


def python_call(points, threads):
    tri = delaunay2d.triangulate(points, threads=threads)
    del tri


def timed(calls, repeat):
    """Median and best time of each call, run in turns so that a change in
    the machine's load falls on both alike."""
    times = [[] for _ in calls]
    for _ in range(repeat):
        for call, spent in zip(calls, times):
            start = time.perf_counter()
            call()
            spent.append(time.perf_counter() - start)
    return [(statistics.median(spent), min(spent)) for spent in times]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--n", type=int, default=1_000_000)
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--threads", type=int, default=0)
    args = parser.parse_args()

    points = np.random.default_rng(1).random((args.n, 2))
    lib = _library.load()
    c_call(lib, points, args.threads)  # warm up: page in the library and the allocator
    names = ["C call (ctypes)", "delaunay2d.triangulate"]
    rows = list(zip(names, timed([lambda: c_call(lib, points, args.threads),
                                  lambda: python_call(points, args.threads)], args.repeat)))
    print("{} uniform points, threads={}, {} runs each".format(args.n, args.threads, args.repeat))
    for name, (median, best) in rows:
        print("  {:<24} median {:8.1f} ms   best {:8.1f} ms".format(name, median * 1e3, best * 1e3))
    ratio = rows[1][1][0] / rows[0][1][0]
    print("  ratio (median): {:.3f}x".format(ratio))


if __name__ == "__main__":
    main()
