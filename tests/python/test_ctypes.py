"""A host written in Python: loads the delaunay2d shared library with ctypes,
triangulates through it and reads the returned mesh in place.

usage: test_ctypes.py PATH_OF_LIBDELAUNAY2D
"""

import contextlib
import ctypes
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bindings", "python"))

import delaunay2d  # noqa: E402
from delaunay2d import Mesh2D, Point3D, Triangle  # noqa: E402

LIBRARY_PATH = None
LIBC = ctypes.CDLL(None)


@contextlib.contextmanager
def captured_c_stdout():
    """Sends file descriptor 1 to a temporary file while the block runs and
    yields a list that receives the bytes written there."""
    captured = []
    sys.stdout.flush()
    LIBC.fflush(None)
    saved = os.dup(1)
    with tempfile.TemporaryFile() as sink:
        os.dup2(sink.fileno(), 1)
        try:
            yield captured
        finally:
            LIBC.fflush(None)
            os.dup2(saved, 1)
            os.close(saved)
            sink.seek(0)
            captured.append(sink.read())


class RecordLayout(unittest.TestCase):
    def test_sizes_match_the_c_records(self):
        self.assertEqual(ctypes.sizeof(Point3D), 32)
        self.assertEqual(ctypes.sizeof(Triangle), 120)
        self.assertEqual(ctypes.sizeof(Mesh2D), 16)
        self.assertEqual(Triangle.vor.offset, 24)
        self.assertEqual(Triangle.inner_center.offset, 48)
        self.assertEqual(Triangle.radius.offset, 112)


class ThreePoints(unittest.TestCase):
    def setUp(self):
        self.library = delaunay2d.Library(LIBRARY_PATH)

    def test_raw_call_returns_one_triangle_over_the_hosts_points(self):
        lib = self.library.lib
        # Given out of split order (ascending x, equal x by descending y).
        points = (Point3D * 3)(Point3D(2.0, 0.0, 3.0, 6.0),
                               Point3D(0.0, 0.0, 0.0, 0.0),
                               Point3D(0.0, 3.0, 0.0, 3.0))
        with captured_c_stdout() as trace:
            mesh = lib.create_mesh_2d(points, 3)
        try:
            self.assertEqual(trace[0],
                             b"    point: {x: 0.000000, y: 3.000000, z: 0.000000 - 3.000000}\n"
                             b"    point: {x: 0.000000, y: 0.000000, z: 0.000000 - 0.000000}\n"
                             b"    point: {x: 2.000000, y: 0.000000, z: 3.000000 - 6.000000}\n"
                             b"create mesh, Mesh2D.length: 1, beg: 0, end: 3\n")
            self.assertEqual(mesh.contents.length, 1)
            self.assertEqual(mesh.contents.inner_length, 0)
            triangle = delaunay2d.mesh_triangles(mesh)[0]
            # The vertices are the host's own records, by address, in split order.
            addresses = [ctypes.addressof(p.contents) for p in triangle.points]
            self.assertEqual(addresses, [ctypes.addressof(points[2]),
                                         ctypes.addressof(points[1]),
                                         ctypes.addressof(points[0])])
            self.assertTrue(all(not link for link in triangle.vor))
            self.assertEqual(triangle.radius, 0.0)
            # The centroid averages all four components of the vertices.
            c = triangle.inner_center
            for got, want in zip((c.x, c.y, c.z, c.w), (2.0 / 3.0, 1.0, 1.0, 3.0)):
                self.assertAlmostEqual(got, want, places=14)
        finally:
            lib.free_mesh(mesh)

    def test_binding_reports_vertex_indices_and_no_neighbours(self):
        with captured_c_stdout():
            mesh = self.library.triangulate([(1.0, 1.0), (0.0, 0.0), (2.0, 0.5)])
        self.assertEqual(mesh.triangles, [(1, 0, 2)])
        self.assertEqual(mesh.neighbours, [(None, None, None)])
        self.assertEqual(mesh.inner_length, 0)
        self.assertEqual(mesh.centroids, [(1.0, 0.5, 0.0, 0.0)])

    def test_binding_refuses_too_few_points_instead_of_ending_the_process(self):
        with self.assertRaises(ValueError):
            self.library.triangulate([(0.0, 0.0), (1.0, 0.0)])


class Square(unittest.TestCase):
    def test_two_triangles_linked_to_each_other(self):
        library = delaunay2d.Library(LIBRARY_PATH)
        with captured_c_stdout():
            mesh = library.triangulate([(0.0, 0.0), (1.0, 0.1), (0.1, 1.0), (1.2, 1.1)])
        self.assertEqual(len(mesh.triangles), 2)
        # The Delaunay diagonal joins points 1 and 2; point 3 lies outside
        # the circle through 0, 1 and 2.
        self.assertEqual(sorted(sorted(t) for t in mesh.triangles), [[0, 1, 2], [1, 2, 3]])
        # Each triangle links the other across the diagonal, and only there.
        self.assertEqual(sorted(n for n in mesh.neighbours[0] if n is not None), [1])
        self.assertEqual(sorted(n for n in mesh.neighbours[1] if n is not None), [0])
        self.assertEqual(mesh.inner_length, 0)


def main():
    global LIBRARY_PATH
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    LIBRARY_PATH = sys.argv[1]
    program = unittest.main(argv=[sys.argv[0]] + sys.argv[2:], exit=False, verbosity=2)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
