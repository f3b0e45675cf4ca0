// C# binding of the delaunay2d library. Written in C# 7 so that it compiles
// with Mono's mcs as well as with current .NET; it needs no unsafe code.
//
// The library is loaded by the name "delaunay2d": .NET and Mono look for
// delaunay2d.dll on Windows and libdelaunay2d.so on Linux, beside the program
// first, then on the system's library path (LD_LIBRARY_PATH, or where the
// Debian package installs it).
//
//   Triangulation t = Delaunay2D.Triangulator.Triangulate(new double[] { 0, 0, 1, 0, 0, 1 });
//
// Triangulate runs the index-array call (delaunay2d_triangulate): it prints nothing
// and reports failures as exceptions. Native holds the raw functions and the
// records, including the entry points that print a trace (create_mesh_2d...).
using System;
using System.Runtime.InteropServices;

namespace Delaunay2D
{
    /// <summary>The outcome of a call, as the library reports it.</summary>
    public enum Status
    {
        Ok = 0,
        InvalidArgument = 1,
        OutOfMemory = 2,
        TooManyPoints = 3
    }

    /// <summary>A Delaunay triangulation, in arrays of point indices.</summary>
    public sealed class Triangulation
    {
        /// <summary>Number of points passed in.</summary>
        public int PointCount { get; internal set; }

        /// <summary>Number of triangles.</summary>
        public int TriangleCount { get; internal set; }

        /// <summary>3 x TriangleCount point indices; every triangle counter-clockwise.</summary>
        public int[] Triangles { get; internal set; }

        /// <summary>3 x TriangleCount, numbered by edge (the half-edge habit, as the C
        /// result): entry 3t + i is the triangle across the edge from vertex i to vertex
        /// (i + 1) % 3 of triangle t, or -1 on the convex hull.</summary>
        public int[] NeighboursAcrossEdge { get; internal set; }

        /// <summary>3 x TriangleCount, numbered by opposite vertex (the habit of scipy and
        /// of Triangle's .neigh files): entry 3t + k is the triangle across the edge opposite
        /// vertex k of triangle t, or -1 on the convex hull.</summary>
        public int[] NeighboursOppositeVertex { get; internal set; }

        /// <summary>The earlier name of NeighboursAcrossEdge.</summary>
        [Obsolete("Neighbours is numbered by edge: use NeighboursAcrossEdge, or NeighboursOppositeVertex for the other habit")]
        public int[] Neighbours { get { return NeighboursAcrossEdge; } }

        /// <summary>The convex hull's vertices, counter-clockwise; without triangles, the
        /// distinct points in order along their line.</summary>
        public int[] Hull { get; internal set; }

        /// <summary>For each point: itself, the first earlier point with the same x and y,
        /// or -1 for a point with a NaN or infinite coordinate.</summary>
        public int[] VertexOfPoint { get; internal set; }
    }

    /// <summary>Triangulates points with the library's index-array call.</summary>
    public static class Triangulator
    {
        /// <summary>Triangulates the points (x0, y0, x1, y1, ...) when stride is 2; with a
        /// larger stride, point i is (coordinates[i * stride], coordinates[i * stride + 1]).
        /// threads: 0 lets the library choose, 1 keeps the work on the calling thread, k uses
        /// at most k; the result is the same for every value.</summary>
        public static Triangulation Triangulate(double[] coordinates, int stride = 2, uint threads = 0)
        {
            if (coordinates == null)
                throw new ArgumentNullException("coordinates");
            if (stride < 2)
                throw new ArgumentOutOfRangeException("stride", "a point takes at least two doubles");
            if (coordinates.Length % stride != 0)
                throw new ArgumentException("the coordinates are not a whole number of points");
            Native.Result result;
            Status status = Native.delaunay2d_triangulate(
                coordinates, new UIntPtr((ulong)(coordinates.Length / stride)), new UIntPtr((ulong)stride),
                threads, out result);
            return Collect(status, ref result);
        }

        /// <summary>Triangulates the x and y of an array of the library's point records.</summary>
        public static Triangulation Triangulate(Native.Point3D[] points, uint threads = 0)
        {
            if (points == null)
                throw new ArgumentNullException("points");
            Native.Result result;
            Status status = Native.delaunay2d_triangulate_points(
                points, new UIntPtr((ulong)points.Length), new UIntPtr(4), threads, out result);
            return Collect(status, ref result);
        }

        /// <summary>The version of the loaded library, e.g. "1.1.0".</summary>
        public static string LibraryVersion
        {
            get { return Marshal.PtrToStringAnsi(Native.delaunay2d_version()); }
        }

        /// <summary>The library's text for a status.</summary>
        public static string Message(Status status)
        {
            return Marshal.PtrToStringAnsi(Native.delaunay2d_status_message(status));
        }

        static Triangulation Collect(Status status, ref Native.Result result)
        {
            try
            {
                if (status != Status.Ok)
                {
                    string message = "delaunay2d: " + Message(status);
                    if (status == Status.OutOfMemory)
                        throw new OutOfMemoryException(message);
                    throw new ArgumentException(message);
                }
                int triangles = checked((int)result.triangle_count.ToUInt64());
                int[] opposite = new int[3 * triangles];
                status = Native.delaunay2d_neighbours_opposite_vertex(ref result, opposite);
                if (status != Status.Ok)
                    throw new InvalidOperationException("delaunay2d: " + Message(status));
                return new Triangulation
                {
                    PointCount = checked((int)result.point_count.ToUInt64()),
                    TriangleCount = triangles,
                    Triangles = Copy(result.triangles, 3 * triangles),
                    NeighboursAcrossEdge = Copy(result.neighbours, 3 * triangles),
                    NeighboursOppositeVertex = opposite,
                    Hull = Copy(result.hull, checked((int)result.hull_count.ToUInt64())),
                    VertexOfPoint = Copy(result.vertex_of_point, checked((int)result.point_count.ToUInt64()))
                };
            }
            finally
            {
                Native.delaunay2d_result_free(ref result);
            }
        }

        // The library's indices are below 2^31, so its uint32 arrays read as int.
        static int[] Copy(IntPtr block, int count)
        {
            int[] values = new int[count];
            if (count > 0)
                Marshal.Copy(block, values, 0, count);
            return values;
        }
    }

    /// <summary>The library's functions and records as they are exported. size_t is
    /// UIntPtr; pointers into the library's blocks are IntPtr.</summary>
    public static class Native
    {
        public const string Library = "delaunay2d";

        // ------------------------------------------------------------ index-array call

        [StructLayout(LayoutKind.Sequential)]
        public struct Result
        {
            public UIntPtr point_count;
            public UIntPtr triangle_count;
            public IntPtr triangles;        // uint32_t[3 * triangle_count]
            public IntPtr neighbours;       // int32_t[3 * triangle_count]
            public UIntPtr hull_count;
            public IntPtr hull;             // uint32_t[hull_count]
            public IntPtr vertex_of_point;  // int32_t[point_count]
        }

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern Status delaunay2d_triangulate(
            double[] coords, UIntPtr count, UIntPtr stride, uint threads, out Result result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl, EntryPoint = "delaunay2d_triangulate")]
        public static extern Status delaunay2d_triangulate_points(
            Point3D[] points, UIntPtr count, UIntPtr stride, uint threads, out Result result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void delaunay2d_result_free(ref Result result);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern Status delaunay2d_neighbours_opposite_vertex(ref Result result, [Out] int[] output);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern IntPtr delaunay2d_status_message(Status status);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern IntPtr delaunay2d_version();

        // ------------------------------------------- records and entry points

        [StructLayout(LayoutKind.Sequential)]
        public struct Point3D
        {
            public double x, y, z, w;

            public Point3D(double x, double y, double z = 0, double w = 0)
            {
                this.x = x;
                this.y = y;
                this.z = z;
                this.w = w;
            }
        }

        /// <summary>One 120-byte triangle record. Edge i joins point i and point (i + 1) % 3;
        /// vor i is the triangle across it, or zero.</summary>
        [StructLayout(LayoutKind.Sequential)]
        public struct Triangle
        {
            public IntPtr point0, point1, point2;  // the host's own Point3D records
            public IntPtr vor0, vor1, vor2;
            public Point3D inner_center;           // centroid
            public Point3D outer_center;
            public double radius;
        }

        /// <summary>The 16-byte mesh header; length Triangle records follow it.</summary>
        [StructLayout(LayoutKind.Sequential)]
        public struct Mesh2D
        {
            public UIntPtr length;
            public UIntPtr inner_length;
        }

        /// <summary>Triangulates n points at the given address (at least three, or the
        /// library ends the process). The mesh points into them: keep them pinned until
        /// free_mesh. Prints a trace on standard output.</summary>
        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern IntPtr create_mesh_2d(IntPtr points, UIntPtr n);

        [DllImport(Library, CallingConvention = CallingConvention.Cdecl)]
        public static extern void free_mesh(IntPtr mesh);

        public static Mesh2D MeshHeader(IntPtr mesh)
        {
            return (Mesh2D)Marshal.PtrToStructure(mesh, typeof(Mesh2D));
        }

        /// <summary>The address of triangle i of a mesh.</summary>
        public static IntPtr MeshTriangleAddress(IntPtr mesh, int i)
        {
            return new IntPtr(mesh.ToInt64() + Marshal.SizeOf(typeof(Mesh2D)) + (long)i * Marshal.SizeOf(typeof(Triangle)));
        }

        public static Triangle MeshTriangle(IntPtr mesh, int i)
        {
            return (Triangle)Marshal.PtrToStructure(MeshTriangleAddress(mesh, i), typeof(Triangle));
        }
    }
}
