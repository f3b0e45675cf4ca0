// Triangulates the corners and the centre of a square with delaunay2d.
//
//   mcs -out:example.exe Delaunay2D.cs Example.cs && mono example.exe
using System;
using Delaunay2D;

public static class Example
{
    public static int Main()
    {
        // x, y of each point in turn: four corners, then the centre.
        double[] points = { 0, 0, 2, 0, 2, 2, 0, 2, 1, 1 };
        Triangulation mesh = Triangulator.Triangulate(points);

        Console.WriteLine("delaunay2d " + Triangulator.LibraryVersion + ": "
                          + mesh.TriangleCount + " triangles");
        // Neighbour i is across the edge from vertex i to vertex i + 1
        // (NeighboursOppositeVertex numbers them as scipy does).
        int[] v = mesh.Triangles, n = mesh.NeighboursAcrossEdge;
        for (int t = 0; t < mesh.TriangleCount; ++t)
        {
            Console.WriteLine("triangle " + t + ": points " + v[3 * t] + " " + v[3 * t + 1] + " " + v[3 * t + 2]
                              + ", neighbours " + n[3 * t] + " " + n[3 * t + 1] + " " + n[3 * t + 2]);
        }
        Console.WriteLine("hull: " + string.Join(" ", mesh.Hull));

        // Failures come back as exceptions; the process goes on.
        try
        {
            Triangulator.Triangulate(new double[] { 0, 0, 1 });
        }
        catch (ArgumentException error)
        {
            Console.WriteLine("refused: " + error.Message);
        }
        return 0;
    }
}
