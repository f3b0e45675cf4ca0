// Tests of the C# binding (bindings/csharp/Delaunay2D.cs), compiled with it by
// mcs and run with mono against the built library:
//
//   mcs -out:binding_tests.exe bindings/csharp/Delaunay2D.cs tests/csharp/BindingTests.cs
//   LD_LIBRARY_PATH=build/ci mono binding_tests.exe
//
// Prints one line per check and closes with "csharp: N passed, N failed";
// exits 1 when a check failed.
using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;
using Delaunay2D;

public static class BindingTests
{
    static int passed, failed;

    // The mesh entry point prints its trace through C's stdout, which
    // keeps it in a buffer until exit; flushing puts it before the summary.
    [DllImport("libc", CallingConvention = CallingConvention.Cdecl)]
    static extern int fflush(IntPtr stream);

    static void Check(string name, Action test)
    {
        try
        {
            test();
            ++passed;
            Console.WriteLine("ok   " + name);
        }
        catch (Exception error)
        {
            ++failed;
            Console.WriteLine("FAIL " + name + ": " + error.GetType().Name + ": " + error.Message);
        }
    }

    static void Expect(bool condition, string what)
    {
        if (!condition)
            throw new Exception(what);
    }

    static void Throws<T>(Action call) where T : Exception
    {
        try
        {
            call();
        }
        catch (T)
        {
            return;
        }
        throw new Exception("no " + typeof(T).Name);
    }

    static double[] RandomPoints(int n, int seed)
    {
        var random = new Random(seed);
        var xy = new double[2 * n];
        for (int i = 0; i < xy.Length; ++i)
            xy[i] = random.NextDouble();
        return xy;
    }

    static double Turn(double[] xy, int a, int b, int c)
    {
        return (xy[2 * b] - xy[2 * a]) * (xy[2 * c + 1] - xy[2 * a + 1])
             - (xy[2 * b + 1] - xy[2 * a + 1]) * (xy[2 * c] - xy[2 * a]);
    }

    // Counter-clockwise triangles and hull, every link returned across the same
    // edge, and as many triangles as a triangulation of n points with h on the hull.
    static void ExpectTriangulation(double[] xy, Triangulation mesh)
    {
        int m = mesh.TriangleCount;
        Expect(mesh.Triangles.Length == 3 * m && mesh.NeighboursAcrossEdge.Length == 3 * m, "array lengths");
        for (int t = 0; t < m; ++t)
        {
            Expect(Turn(xy, mesh.Triangles[3 * t], mesh.Triangles[3 * t + 1], mesh.Triangles[3 * t + 2]) > 0,
                   "triangle " + t + " is not counter-clockwise");
            for (int i = 0; i < 3; ++i)
            {
                int n = mesh.NeighboursAcrossEdge[3 * t + i];
                if (n < 0)
                    continue;
                int from = mesh.Triangles[3 * t + i], to = mesh.Triangles[3 * t + (i + 1) % 3];
                bool linked = false;
                for (int j = 0; j < 3; ++j)
                    linked |= mesh.NeighboursAcrossEdge[3 * n + j] == t && mesh.Triangles[3 * n + j] == to
                              && mesh.Triangles[3 * n + (j + 1) % 3] == from;
                Expect(linked, "triangle " + n + " does not link back to " + t + " across the same edge");
            }
        }
        // Numbered by opposite vertex: entry 3t + k shares the edge that faces vertex k.
        Expect(mesh.NeighboursOppositeVertex.Length == 3 * m, "opposite-vertex length");
#pragma warning disable 618  // the obsolete name still answers
        Expect(mesh.Neighbours == mesh.NeighboursAcrossEdge, "Neighbours is NeighboursAcrossEdge");
#pragma warning restore 618
        for (int t = 0; t < m; ++t)
        {
            for (int k = 0; k < 3; ++k)
            {
                int across = mesh.NeighboursAcrossEdge[3 * t + (k + 1) % 3];
                Expect(mesh.NeighboursOppositeVertex[3 * t + k] == across,
                       "triangle " + t + ": neighbour opposite vertex " + k);
            }
        }
        int h = mesh.Hull.Length;
        for (int i = 0; i < h; ++i)
            Expect(Turn(xy, mesh.Hull[i], mesh.Hull[(i + 1) % h], mesh.Hull[(i + 2) % h]) > 0, "hull turn " + i);
        Expect(m == 2 * (xy.Length / 2) - 2 - h, "triangle count " + m);
    }

    public static int Main()
    {
        Check("records have the library's sizes and field offsets", () =>
        {
            Expect(Marshal.SizeOf(typeof(Native.Point3D)) == 32, "Point3D");
            Expect(Marshal.SizeOf(typeof(Native.Triangle)) == 120, "Triangle");
            Expect(Marshal.SizeOf(typeof(Native.Mesh2D)) == 16, "Mesh2D");
            Expect(Marshal.SizeOf(typeof(Native.Result)) == 56, "Result");
            Expect(Marshal.OffsetOf(typeof(Native.Triangle), "inner_center").ToInt32() == 48, "inner_center");
            Expect(Marshal.OffsetOf(typeof(Native.Triangle), "radius").ToInt32() == 112, "radius");
            Expect(Marshal.OffsetOf(typeof(Native.Result), "vertex_of_point").ToInt32() == 48, "vertex_of_point");
        });

        Check("random points give a proper triangulation", () =>
        {
            foreach (int n in new[] { 3, 100, 20000 })
            {
                double[] xy = RandomPoints(n, n);
                Triangulation mesh = Triangulator.Triangulate(xy);
                Expect(mesh.PointCount == n, "point count");
                ExpectTriangulation(xy, mesh);
                for (int i = 0; i < n; ++i)
                    Expect(mesh.VertexOfPoint[i] == i, "vertex of point " + i);
            }
        });

        Check("records, strides and thread counts give the same arrays", () =>
        {
            double[] xy = RandomPoints(5000, 7);
            var records = new Native.Point3D[5000];
            var xyzw = new double[4 * 5000];
            for (int i = 0; i < 5000; ++i)
            {
                records[i] = new Native.Point3D(xy[2 * i], xy[2 * i + 1], i, -i);
                xyzw[4 * i] = xy[2 * i];
                xyzw[4 * i + 1] = xy[2 * i + 1];
            }
            Triangulation expected = Triangulator.Triangulate(xy, 2, 1);
            foreach (Triangulation other in new[] {
                         Triangulator.Triangulate(records), Triangulator.Triangulate(xyzw, 4),
                         Triangulator.Triangulate(xy, 2, 0), Triangulator.Triangulate(xy, 2, 2) })
            {
                Expect(string.Join(",", other.Triangles) == string.Join(",", expected.Triangles), "triangles");
                Expect(string.Join(",", other.NeighboursAcrossEdge) == string.Join(",", expected.NeighboursAcrossEdge), "neighbours");
                Expect(string.Join(",", other.Hull) == string.Join(",", expected.Hull), "hull");
            }
        });

        Check("repeated points and non-finite points are left out", () =>
        {
            double[] xy = { 0, 0, 1, 0, 0, 1, 1, 0, double.NaN, 5, 0.5, double.PositiveInfinity, -0.0, 0 };
            Triangulation mesh = Triangulator.Triangulate(xy);
            Expect(string.Join(" ", mesh.VertexOfPoint) == "0 1 2 1 -1 -1 0", string.Join(" ", mesh.VertexOfPoint));
            Expect(mesh.TriangleCount == 1, "one triangle");
        });

        Check("collinear points give no triangles and their line as the hull", () =>
        {
            Triangulation mesh = Triangulator.Triangulate(new double[] { 2, 2, 0, 0, 3, 3, 1, 1 });
            Expect(mesh.TriangleCount == 0, "no triangles");
            string hull = string.Join(" ", mesh.Hull);
            Expect(hull == "1 3 0 2" || hull == "2 0 3 1", "hull " + hull);
        });

        Check("bad arguments raise exceptions, in the binding and in the library", () =>
        {
            Throws<ArgumentNullException>(() => Triangulator.Triangulate((double[])null));
            Throws<ArgumentOutOfRangeException>(() => Triangulator.Triangulate(new double[4], 1));
            Throws<ArgumentException>(() => Triangulator.Triangulate(new double[5]));
            Native.Result result;
            Status status = Native.delaunay2d_triangulate(new double[4], new UIntPtr(2), new UIntPtr(1), 0, out result);
            Expect(status == Status.InvalidArgument, "status " + status);
            Expect(result.triangles == IntPtr.Zero && result.triangle_count == UIntPtr.Zero, "zeroed result");
            Native.delaunay2d_result_free(ref result);
            foreach (Status s in new[] { Status.InvalidArgument, Status.OutOfMemory, Status.TooManyPoints })
                Expect(Triangulator.Message(s).Length > 0, "message of " + s);
        });

        Check("create_mesh_2d returns records that point into the pinned host array", () =>
        {
            var points = new[] {
                new Native.Point3D(0, 0), new Native.Point3D(1, 0.1), new Native.Point3D(0.1, 1), new Native.Point3D(1.2, 1.1)
            };
            GCHandle pinned = GCHandle.Alloc(points, GCHandleType.Pinned);
            try
            {
                IntPtr first = pinned.AddrOfPinnedObject();
                IntPtr mesh = Native.create_mesh_2d(first, new UIntPtr(4));
                try
                {
                    Expect(Native.MeshHeader(mesh).length.ToUInt64() == 2, "two triangles");
                    var corners = new List<long>();
                    for (int t = 0; t < 2; ++t)
                    {
                        Native.Triangle triangle = Native.MeshTriangle(mesh, t);
                        foreach (IntPtr p in new[] { triangle.point0, triangle.point1, triangle.point2 })
                        {
                            long offset = p.ToInt64() - first.ToInt64();
                            Expect(offset >= 0 && offset < 4 * 32 && offset % 32 == 0, "vertex inside the array");
                            corners.Add(offset / 32);
                        }
                        IntPtr other = Native.MeshTriangleAddress(mesh, 1 - t);
                        int links = 0;
                        foreach (IntPtr v in new[] { triangle.vor0, triangle.vor1, triangle.vor2 })
                            links += v == other ? 1 : 0;
                        Expect(links == 1, "one link to the other triangle");
                    }
                    corners.Sort();
                    Expect(string.Join(" ", corners) == "0 1 1 2 2 3", "the diagonal joins points 1 and 2");
                }
                finally
                {
                    Native.free_mesh(mesh);
                    fflush(IntPtr.Zero);
                }
            }
            finally
            {
                pinned.Free();
            }
        });

        Console.WriteLine("csharp: " + passed + " passed, " + failed + " failed");
        return failed == 0 ? 0 : 1;
    }
}
