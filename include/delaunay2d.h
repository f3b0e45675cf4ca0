/*
 * delaunay2d: two-dimensional Delaunay triangulation by divide and conquer,
 * exact for any finite doubles. Plain C interface, usable from C and C++.
 *
 * Where to start
 * --------------
 * delaunay2d_triangulate, the index-array call, is what most hosts want:
 * the points as an array of doubles in, the triangles, their neighbours and
 * the hull as arrays of point indices out (a delaunay2d_result), and a
 * delaunay2d_status back. It comes first below, after its statuses and its
 * result record. The operations on such a result follow, each in the same
 * style: the constrained triangulation (segments kept as edges), point
 * location, interpolation, the Voronoi diagram and cells, and the
 * neighbours numbered the other common way.
 *
 * The traced entry points (create_mesh_2d and create_triangle_mesh_2d) are
 * the library's first interface, kept for hosts written against it: they
 * return linked triangle records that point at the host's own Point3D
 * records, and they print a trace of their work on standard output (hence
 * the name). They, their records and the building blocks of their
 * triangulation, exported to be called one by one, are declared in
 * delaunay2d_traced.h, which this header includes at its end; its opening
 * comment says what they do besides returning.
 *
 * What the delaunay2d_ calls do besides returning their result
 * -------------------------------------------------------------
 * - Errors. Each reports failure in its delaunay2d_status (the free
 *   functions, delaunay2d_status_message and delaunay2d_version cannot
 *   fail). None prints, ends the process or lets an exception out; on any
 *   failure the record the call fills is zeroed (its struct_size kept) and
 *   nothing is left allocated. (The traced entry points instead print and
 *   exit(-1): see delaunay2d_traced.h.)
 * - State. They keep no state between calls, never call rand() or srand(),
 *   and may be called from several host threads at once. The same input
 *   gives the same result, whatever the number of threads.
 * - Threads. delaunay2d_triangulate, delaunay2d_triangulate_constrained
 *   (options->threads), delaunay2d_locate, delaunay2d_interpolate and
 *   delaunay2d_voronoi_cells take a `threads` argument: 1 runs on the
 *   calling thread only, 0 lets the library choose (as many as the cores
 *   the process may run on), k uses at most k (and never more than those
 *   cores). Threads they start end before they return. The environment
 *   variable DELAUNAY2D_THREADS, which bounds the traced entry points, does
 *   not affect them. Every other delaunay2d_ call runs on the calling
 *   thread alone.
 * - Stack. On the calling thread, delaunay2d_triangulate (like
 *   create_mesh_2d and create_triangle_mesh_2d) uses at most about 10 KiB of
 *   stack, whatever the number of points and however degenerate they are
 *   (the recursion is shallow, and the exact predicates keep their scratch
 *   small); a host thread made with a 16 KiB stack (the least POSIX threads
 *   allow on x86-64 Linux, part of which the thread's own records take)
 *   runs it. This holds for an optimised build of the library; sanitizers
 *   and -O0 make every frame several times larger. Threads the library
 *   starts itself get stacks of their own.
 * - Heap. Every array in a result record is a block from the malloc of the
 *   C runtime the library is linked with; the record's free function
 *   releases them all (a host may also free them one by one with that
 *   runtime's free).
 * - Records. Every record is laid out by the C rules, fields in the order
 *   given, with no packing directives. Their fields are pointers, size_t
 *   and (in the constrained result) a delaunay2d_result, but for two 4-byte
 *   fields, region (int) and threads (unsigned), in
 *   delaunay2d_constraint_options. Records that may gain fields at their
 *   end start with struct_size, which the host sets to the size it was
 *   compiled with.
 *
 * Each function's comment ends with its preconditions on one line
 * ("Expects: ..."). Arguments outside them that the call can detect (null
 * pointers, stride < 2, ...) give DELAUNAY2D_INVALID_ARGUMENT as listed; the
 * sizes of arrays cannot be checked and are the host's to get right.
 */
#ifndef DELAUNAY2D_H
#define DELAUNAY2D_H

#include <stddef.h>
#include <stdint.h>

/* The library's version; the same as the build's project version. */
#define DELAUNAY2D_VERSION_MAJOR 1
#define DELAUNAY2D_VERSION_MINOR 1
#define DELAUNAY2D_VERSION_PATCH 0
#define DELAUNAY2D_VERSION "1.1.0"

#if defined(_WIN32)
#if defined(DELAUNAY2D_BUILDING)
#define DELAUNAY2D_API __declspec(dllexport)
#elif defined(DELAUNAY2D_STATIC)
#define DELAUNAY2D_API
#else
#define DELAUNAY2D_API __declspec(dllimport)
#endif
#else
#define DELAUNAY2D_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------- the index-array call
 *
 * delaunay2d_triangulate: coordinates in, compact index arrays out, a status
 * back. It prints nothing, never ends the process, never calls rand(), keeps
 * no state between calls, and may be called from several threads at once.
 * Its result is deterministic: the same points give the same arrays,
 * whatever the number of threads.
 */

/* What every delaunay2d_ call that can fail returns. */
typedef enum delaunay2d_status {
    DELAUNAY2D_OK = 0,
    DELAUNAY2D_INVALID_ARGUMENT = 1, /* an argument the call can check is wrong (each call lists which) */
    DELAUNAY2D_OUT_OF_MEMORY = 2,    /* an allocation failed; nothing is left allocated */
    DELAUNAY2D_TOO_MANY_POINTS = 3   /* more points than the index arrays can number (see delaunay2d_triangulate) */
} delaunay2d_status;

/* The most points one call triangulates; beyond, DELAUNAY2D_TOO_MANY_POINTS. */
#define DELAUNAY2D_MAX_POINTS 134217664u

/* A triangulation as index arrays; every index is an index of the caller's
 * points (or, for neighbours, of the triangles). */
typedef struct delaunay2d_result {
    size_t point_count;        /* count as passed in */
    size_t triangle_count;
    uint32_t* triangles;       /* 3 * triangle_count point indices, every triangle counter-clockwise */
    int32_t* neighbours;       /* 3 * triangle_count: the triangle across edge (v[i], v[(i+1)%3]), or -1
                                * (numbered by edge, as delaunator's half-edges are; for the numbering by
                                * opposite vertex of scipy and of Shewchuk's Triangle, see the end of this header) */
    size_t hull_count;
    uint32_t* hull;            /* convex hull vertices, counter-clockwise */
    int32_t* vertex_of_point;  /* point_count entries: the point that stands for point i in the mesh, or -1 */
} delaunay2d_result;

/* Triangulates count points. Point i is (coords[i * stride],
 * coords[i * stride + 1]); stride is counted in doubles and is at least 2
 * (interleaved x, y is 2; an array of Point3D is 4). Every index in the
 * result refers to the caller's points.
 *
 * vertex_of_point[i] is i for a point that is a vertex of the mesh; for a
 * point with the same x and y as an earlier one (+0.0 and -0.0 are equal),
 * the first such point; -1 for a point with a NaN or infinite coordinate.
 * Fewer than three distinct finite points, or all of them on one line, give
 * no triangles; the hull then lists the distinct points in order along
 * their line.
 *
 * The result is exact for any finite doubles: every decision is an exact
 * orientation or in-circle test. Among cocircular points (four or more on
 * one empty circle: a grid's squares) the diagonals are fixed by the points
 * alone: each such polygon is cut into the fan from its smallest corner (by
 * x, then y). So, whatever subset of the plane's points is given, a
 * triangle whose closed circumdisk holds no point outside that subset is
 * the triangle the whole set's call makes too.
 *
 * threads: 1 runs on the calling thread only, 0 lets the library choose (the
 * cores the process may use), k uses at most k threads.
 *
 * Returns DELAUNAY2D_OK, or: DELAUNAY2D_INVALID_ARGUMENT for a null result,
 * null coords with count > 0, or stride < 2; DELAUNAY2D_TOO_MANY_POINTS
 * beyond DELAUNAY2D_MAX_POINTS (134,217,664) points; DELAUNAY2D_OUT_OF_MEMORY
 * when memory runs out.
 * On any failure *result is zeroed and nothing is left allocated. Release a
 * result with delaunay2d_result_free.
 * Expects: `coords` (count - 1) * stride + 2 doubles, null only when count is 0; `result` writable. */
DELAUNAY2D_API delaunay2d_status delaunay2d_triangulate(const double* coords, size_t count, size_t stride,
                                                        unsigned threads, delaunay2d_result* result);

/* Frees the arrays of a result and zeroes it; accepts a zeroed result and a
 * null pointer.
 * Expects: `result` null, zeroed, or filled by delaunay2d_triangulate and not freed since. */
DELAUNAY2D_API void delaunay2d_result_free(delaunay2d_result* result);

/* A short English description of a status, for messages; never null (an
 * unknown value has a description too).
 * Expects: nothing. */
DELAUNAY2D_API const char* delaunay2d_status_message(delaunay2d_status status);

/* The library's version, "major.minor.patch" (DELAUNAY2D_VERSION of the
 * library as built, which a host compares with the header's).
 * Expects: nothing. */
DELAUNAY2D_API const char* delaunay2d_version(void);

/* ----------------------------------------------- constrained triangulation
 *
 * delaunay2d_triangulate_constrained keeps segments of the caller's as
 * edges: rivers and roads of a terrain, the rings of a polygon and its
 * holes. It is a call in the style of delaunay2d_triangulate (no output, no exit,
 * no rand(), no state, status codes) and deterministic for any number of
 * threads.
 *
 * The result is the constrained Delaunay triangulation: every segment is a
 * chain of edges of the mesh, and every other edge is locally Delaunay (no
 * vertex of the two triangles beside it lies strictly inside the other's
 * circumcircle), every decision an exact predicate on the doubles given.
 *
 * Segments. A segment through another input point is split there. When no
 * two segments cross, nothing is rounded and no point is added. Two
 * segments that cross at a point inside both give one vertex, shared by
 * both: the exact crossing with each coordinate rounded to the nearest
 * double (ties to even), added after the input points; crossings that round
 * to one point are one vertex, and one that rounds onto an input point is
 * that point. Since rounding moves a crossing off the segments, the
 * segments are snap rounded: each becomes the chain through every vertex
 * (segment end or rounded crossing) whose rounding box -- the points that
 * round to that vertex -- it passes through, so every piece lies within
 * half a gap between doubles of its segment, and no point is ever added but
 * the crossings (the call always finishes). Segments along one line overlap
 * where they do, and are split at each other's ends.
 * Repeated segments count once; a segment from a point to itself, or
 * between two points with the same x and y, is ignored.
 *
 * Regions. DELAUNAY2D_REGION_HULL keeps the triangles of the whole convex
 * hull; DELAUNAY2D_REGION_INSIDE keeps those that an odd number of closed
 * rings of segments enclose (a triangle is ranked by the fewest segment
 * edges a path from outside the hull crosses to reach it, and kept when
 * that count is odd), so a polygon with holes needs no hole points. In
 * either region each hole point removes the triangles that can be reached
 * from the one holding it without crossing a segment (the convention of
 * Shewchuk's Triangle); a hole point outside the hull or in a removed part does
 * nothing. A neighbour across a removed part is -1. DELAUNAY2D_REGION_AUTO
 * (version 1.1) is the choice of the program and the Python package when
 * none is given: INSIDE when the segments close at least one ring around a
 * triangle (a polygon), HULL when they close none (open lines such as
 * breaklines, which INSIDE would leave with no triangle); it is decided
 * before the hole points remove anything.
 */
typedef enum delaunay2d_region {
    DELAUNAY2D_REGION_HULL = 0,     /* the whole convex hull */
    DELAUNAY2D_REGION_INSIDE = 1,   /* what closed rings of segments enclose, even-odd nesting, minus hole points' regions */
    DELAUNAY2D_REGION_AUTO = 2      /* version 1.1: INSIDE when some closed ring of segments encloses a triangle, else HULL */
} delaunay2d_region;

/* A region of the mesh, as in the regional section of Triangle's .poly
 * files: the kept triangles that can be reached from the one holding (x, y)
 * without crossing a segment take `attribute`, and refinement keeps their
 * areas at most max_area when it is positive. Where two regions' points
 * reach the same triangles, the later one wins. */
typedef struct delaunay2d_region_point {
    double x, y;                 /* a point inside the region */
    double attribute;            /* given to each of its triangles */
    double max_area;             /* > 0: the region's own area bound, in place of the global one */
} delaunay2d_region_point;

/* Quality refinement of the constrained mesh: points are added (segments
 * split where encroached, off-centres of bad triangles inserted, worst
 * first) until every kept triangle meets the bounds, the budget runs out,
 * or what is left cannot be mended (angles pinched between segments that
 * meet at a small angle). */
typedef struct delaunay2d_quality_options {
    size_t struct_size;          /* sizeof(delaunay2d_quality_options) as the host knows it */
    double min_angle;            /* degrees, 0 for none; up to 20.7 always finishes, about 33 in practice */
    double max_area;             /* > 0: every kept triangle's area at most this; 0 for none */
    uint64_t max_steiner;        /* at most this many points added by refinement; 0: no limit of the caller's
                                    (above 20.7 degrees the library's own budget then applies) */
    int conforming;              /* nonzero: segments are split until every edge of the mesh is Delaunay, also with no bound */
} delaunay2d_quality_options;

/* What the kept triangles of a constrained result are like. */
typedef struct delaunay2d_mesh_quality {
    double min_angle;            /* degrees, the smallest angle of a kept triangle (0 without triangles) */
    double max_angle;            /* degrees, the largest */
    uint64_t angle_histogram[18];/* the kept triangles' angles, three each, by 10-degree bin: [0, 10) ... [170, 180] */
    uint64_t added_by_refinement;/* points refinement added, after the crossing points */
    uint64_t unrefined_count;    /* kept triangles still below the angle bound or above their area bound */
    int budget_reached;          /* nonzero when refinement stopped because max_steiner points were added */
} delaunay2d_mesh_quality;

typedef struct delaunay2d_constraint_options {
    size_t struct_size;          /* sizeof(delaunay2d_constraint_options) as the host knows it */
    const uint32_t* segments;    /* 2 * segment_count point indices */
    size_t segment_count;
    const double* holes;         /* 2 * hole_count: x, y of a point inside each hole */
    size_t hole_count;
    int region;                  /* delaunay2d_region */
    unsigned threads;            /* as delaunay2d_triangulate's */
    /* Added in version 1.1; a host compiled before leaves them out. */
    const delaunay2d_region_point* regions; /* region_count regions (attributes, area bounds) */
    size_t region_count;
    const delaunay2d_quality_options* quality; /* null: no refinement */
} delaunay2d_constraint_options;

typedef struct delaunay2d_constrained_result {
    size_t struct_size;          /* set by the host before the call: sizeof as it knows it */
    delaunay2d_result mesh;      /* over mesh.point_count = count + added_count points */
    double* points;              /* 2 * mesh.point_count: the input points (x, y) then the added points */
    size_t added_count;          /* points added after the input points: crossings, then refinement's */
    uint8_t* constrained;        /* 3 * mesh.triangle_count: 1 where edge (v[i], v[i+1]) lies on a segment */
    size_t segment_count;
    uint32_t* segments;          /* 2 * segment_count: the segments as split, as point indices */
    /* Added in version 1.1; a host compiled before leaves them out. */
    double* triangle_attributes; /* mesh.triangle_count region attributes (0 outside every region); null without regions */
    size_t hole_on_segment_count;/* hole points lying on a segment: they remove nothing */
    delaunay2d_mesh_quality quality; /* filled whether or not refinement was asked for */
} delaunay2d_constrained_result;

/* Triangulates count points (read as delaunay2d_triangulate reads them)
 * with the segments and hole points of *options.
 *
 * The mesh is over the input points followed by the added crossing points:
 * mesh.point_count is count + added_count, `points` holds all of their
 * coordinates (x, y) and every index refers to it. mesh.vertex_of_point
 * has an entry for each of them (an added point stands for itself);
 * mesh.hull is the convex hull of all of them whatever the region;
 * mesh.neighbours[3t + i] is the triangle across edge (v[i], v[i+1]) or -1
 * (hull, or a removed part), and constrained[3t + i] says whether that edge
 * lies on a segment. `segments` lists each mesh edge on a segment once, also
 * those bordering removed parts. With fewer than three distinct points or
 * all of them on one line there are no triangles, and the segments as
 * split are the pieces between consecutive points along the line.
 *
 * Records. options->struct_size and result->struct_size are set by the host
 * to the sizes it was compiled with; the library reads and writes no byte
 * past them (fields it does not know stay zero, fields the host does not
 * know take their defaults), so hosts compiled today keep working when the
 * records grow.
 *
 * threads: as for delaunay2d_triangulate; it is used by the unconstrained
 * triangulation the segments are inserted into, which they are one by one.
 *
 * Regions and refinement (version 1.1). With regions, triangle_attributes
 * gives each triangle its region's attribute. With options->quality,
 * points are added after the crossing points until every kept triangle has
 * no angle below quality->min_angle and no area above its bound; the
 * segments as split and the constrained flags follow. Triangles pinched
 * between segments that meet at a small angle, or left when max_steiner
 * points have been added, are counted in quality.unrefined_count. A point
 * added on a segment is the segment's own point rounded to the nearest
 * doubles (so every piece lies within half a gap between doubles of its
 * segment, as with crossings); a hull edge is split at a point on it or,
 * by a rounding, just inside, so mesh.hull (then the mesh's boundary) may
 * bend inwards by that much. With all bounds 0 and conforming 0 nothing is
 * added. The
 * result is the same for any number of threads. result->quality describes
 * the kept triangles in every call.
 *
 * A hole point lying exactly on a segment (or on a segment's end) removes
 * nothing: which side it meant cannot be told. Such points are counted in
 * hole_on_segment_count.
 *
 * Returns DELAUNAY2D_OK, or: DELAUNAY2D_INVALID_ARGUMENT for a null result
 * or options, a struct_size below that of this first version, null coords
 * with count > 0, stride < 2, null segments or holes with a nonzero count,
 * a region outside delaunay2d_region, a segment naming a point at or past
 * count or a point with a NaN or infinite coordinate, a hole point or a
 * region point with such a coordinate, null regions with a nonzero count,
 * a region attribute or area that is not finite, a quality record whose
 * struct_size is below its first version's, a min_angle that is NaN,
 * negative or 60 or more, or a max_area that is NaN, negative or infinite; DELAUNAY2D_TOO_MANY_POINTS when the points, with the
 * crossings, exceed what delaunay2d_triangulate takes;
 * DELAUNAY2D_OUT_OF_MEMORY when memory runs out. On any failure *result is
 * zeroed (but for struct_size) and nothing is left allocated; with a
 * struct_size too small nothing is written. Release a result with
 * delaunay2d_constrained_result_free.
 * Expects: `coords` as for delaunay2d_triangulate; options' segments and holes 2 * their counts; struct_sizes set. */
DELAUNAY2D_API delaunay2d_status delaunay2d_triangulate_constrained(
    const double* coords, size_t count, size_t stride,
    const delaunay2d_constraint_options* options, delaunay2d_constrained_result* result);

/* Frees the arrays of a constrained result and zeroes it (but for
 * struct_size); accepts a zeroed result and a null pointer.
 * Expects: `result` null, zeroed, or filled by delaunay2d_triangulate_constrained and not freed since. */
DELAUNAY2D_API void delaunay2d_constrained_result_free(delaunay2d_constrained_result* result);

/* --------------------------------------- point location and interpolation
 *
 * A mesh passed to these operations is "coordinates + delaunay2d_result":
 * the caller's points (read as delaunay2d_triangulate reads them: x at
 * coords[i * stride], y just after) and a result whose triangles are
 * counter-clockwise with neighbours[3t + i] the triangle across edge
 * (v[i], v[i+1]) or -1. The triangles need not cover the convex hull: a
 * mesh with holes or a non-convex outline (-1 neighbours inside the hull)
 * is answered exactly too. A host may build the record itself: hull and
 * vertex_of_point may then be null (every point standing for itself).
 * Like the index-array call these operations print
 * nothing, keep no state, and give the same answers for any `threads`
 * (1 = calling thread only, 0 = the library's choice, k = at most k).
 * Queries are (x, y) pairs: queries[2q], queries[2q + 1].
 *
 * Every call that takes a mesh (here and in the Voronoi section) expects:
 * `coords` holds mesh->point_count points at `stride`; the mesh's arrays hold
 * as many entries as its counts say, and every index in them is in range
 * (which the calls do not check).
 */

/* For each query: a triangle that contains it (one of them when it lies on
 * an edge or a vertex), decided with exact orientation tests, or -1 when no
 * triangle does (outside the mesh, or a NaN or infinite coordinate).
 * Returns DELAUNAY2D_INVALID_ARGUMENT for a null mesh, null coords or
 * queries or triangle_of_query where they are needed, stride < 2, a mesh
 * whose arrays are null while counts are not, or more than 2^31 - 1
 * queries; DELAUNAY2D_OUT_OF_MEMORY when memory runs out.
 * Expects: the mesh as above; `queries` 2 * query_count doubles; `triangle_of_query` query_count entries. */
DELAUNAY2D_API delaunay2d_status delaunay2d_locate(const double* coords, size_t stride, const delaunay2d_result* mesh,
                                                   const double* queries, size_t query_count, unsigned threads,
                                                   int32_t* triangle_of_query);

typedef enum delaunay2d_method {
    DELAUNAY2D_LINEAR = 0,  /* barycentric on the containing triangle */
    DELAUNAY2D_NEAREST = 1, /* value of the nearest input point, exact ties to the lower index; defined everywhere */
    DELAUNAY2D_NATURAL = 2  /* Sibson's natural-neighbour interpolation */
} delaunay2d_method;

/* Interpolates values given at the points at each query.
 *
 * values: value_count doubles per input point (values[i * value_count + j]);
 * out: value_count doubles per query (out[q * value_count + j]).
 * A repeated point takes the value of the point that stands for it
 * (vertex_of_point), since only that one is a vertex of the mesh.
 *
 * LINEAR: barycentric interpolation on the triangle delaunay2d_locate
 * finds, from its smallest corner (by x, then y), or from the two ends
 * alone of an edge the query lies on exactly: the bits depend on the
 * triangle's points, not on the mesh's numbering; fill_value where it
 * finds none. NEAREST: the value of the nearest
 * mesh vertex by exact comparison of squared distances, the lower index on a
 * tie, on any mesh (a descent along the edges of a Delaunay mesh, a k-d tree
 * over the vertices of any other; with no triangles the points along their
 * line), and fill_value for a query with a NaN or
 * infinite coordinate or a mesh without points. NATURAL: Sibson's
 * coordinates (the share of the query's would-be Voronoi cell taken from
 * each neighbour's cell, the cells found with exact in-circle tests): equal
 * to the data at the points, linear functions reproduced up to rounding,
 * continuous; on the mesh's boundary, where the would-be cell is unbounded,
 * it is the linear interpolation along the boundary edge; fill_value
 * outside the mesh.
 *
 * Returns DELAUNAY2D_INVALID_ARGUMENT for the cases of delaunay2d_locate,
 * null values or out where they are needed, value_count 0, or an unknown
 * method; DELAUNAY2D_OUT_OF_MEMORY when memory runs out.
 * Expects: the mesh as above; `values` value_count per point; `queries` 2 per query; `out` value_count per query. */
DELAUNAY2D_API delaunay2d_status delaunay2d_interpolate(const double* coords, size_t stride,
                                                        const delaunay2d_result* mesh, const double* values,
                                                        size_t value_count, int method, const double* queries,
                                                        size_t query_count, double fill_value, unsigned threads,
                                                        double* out);

/* ------------------------------------------------------- tiles of a larger set
 *
 * A point set larger than one call (or than memory) is triangulated tile by
 * tile. A tile's call is given every point of the whole set that lies in the
 * closed box `seen` (the tile's own part and a halo around it), triangulates
 * them with delaunay2d_triangulate, and asks which of its triangles are
 * certainly triangles of the whole set's triangulation:
 *
 *        bounds (every point of the whole set)
 *   +-------------------------------------+
 *   |        seen (every point given)     |
 *   |     +--------------------+          |
 *   |     |   .-"""-.          |          |   the triangle's circumdisk
 *   |     |  /  /\   \         |          |   lies inside seen: no point
 *   |     | |  /__\   |        |          |   of the whole set is in it,
 *   |     |  \       /         |          |   so it is Delaunay there too
 *   |     |   '-...-'          |          |
 *   |     +--------------------+          |
 *   +-------------------------------------+
 *
 * Triangle t is certain when its closed circumdisk, cut to `bounds`, lies in
 * `seen`; a hull edge is certain (an edge of the whole set's hull) when the
 * closed half-plane beyond it, cut to `bounds`, lies in `seen`. The test is
 * conservative: a triangle near the edge of the test, within rounding, is
 * reported uncertain, and a larger halo settles it. When `seen` holds
 * `bounds`, everything is certain. Points on a triangle's circumcircle (a
 * grid's squares) need no care: delaunay2d_triangulate cuts cocircular
 * points into the fan from their smallest, fixed by the points alone, so
 * the tile's call and the whole set's cut them alike. */
typedef struct delaunay2d_tile {
    size_t struct_size; /* sizeof(delaunay2d_tile) as the host knows it */
    double seen[4];     /* min x, min y, max x, max y: every point of the whole set in this closed box was given */
    double bounds[4];   /* min x, min y, max x, max y of the whole set's finite points */
} delaunay2d_tile;

/* Marks the certain triangles and hull edges of mesh, the result of
 * delaunay2d_triangulate on the tile's points: certain_triangle[t] is 1 for
 * a certain triangle, else 0; certain_hull_edge[i] (may be null) is 1 when
 * the hull edge from hull[i] to hull[(i + 1) % hull_count] is certain.
 * Returns DELAUNAY2D_INVALID_ARGUMENT for a null tile, a tile->struct_size
 * below this record's first release, a NaN in seen or bounds, a null
 * certain_triangle with triangles, or the mesh cases of delaunay2d_locate.
 * Side effects: writes the two flag arrays only.
 * Expects: the mesh as for delaunay2d_locate; certain_triangle[triangle_count], certain_hull_edge[hull_count]. */
DELAUNAY2D_API delaunay2d_status delaunay2d_tile_certain(const double* coords, size_t stride,
                                                         const delaunay2d_result* mesh, const delaunay2d_tile* tile,
                                                         uint8_t* certain_triangle, uint8_t* certain_hull_edge);

/* ------------------------------------------------------- Voronoi diagram
 *
 * The Voronoi diagram is read off the mesh: each triangle's circumcentre is
 * a Voronoi vertex and each edge a ridge. It is the Voronoi diagram of the
 * points when the mesh is their Delaunay triangulation (the index-array call's
 * result). Cocircular points give several vertices at one place joined by
 * ridges of length zero; vertices are never merged, so that vertex t stays
 * the circumcentre of triangle t.
 */
typedef struct delaunay2d_voronoi {
    size_t struct_size;      /* set by the host before the call: sizeof as it knows it */
    size_t vertex_count;     /* mesh->triangle_count */
    double* vertices;        /* 2 * vertex_count: circumcentres; vertex t is the circumcentre of triangle t */
    size_t ridge_count;      /* one per edge of the mesh */
    uint32_t* ridge_points;  /* 2 * ridge_count: the two points each ridge separates */
    int32_t* ridge_vertices; /* 2 * ridge_count: the ridge's ends, -1 at infinity (then first) */
    size_t* region_offsets;  /* mesh->point_count + 1 */
    int32_t* regions;        /* each point's cell as vertex indices counter-clockwise, -1 marks infinity (as in
                                scipy); empty for a repeated point or one with a NaN or infinite coordinate */
} delaunay2d_voronoi;

/* Builds the Voronoi diagram of the mesh into *out. Point i's cell is
 * regions[region_offsets[i] .. region_offsets[i + 1]). With no triangles
 * (all points on one line) there are no vertices, a ridge joins each pair
 * of consecutive points along the line, with both ends at infinity, and
 * each cell is the single entry -1. Returns DELAUNAY2D_INVALID_ARGUMENT for
 * a null out, an out->struct_size below the size of this record's first
 * release, or the mesh cases of delaunay2d_locate; DELAUNAY2D_OUT_OF_MEMORY
 * when memory runs out. On failure *out is zeroed (its struct_size kept)
 * and nothing is left allocated. Release with delaunay2d_voronoi_free.
 * Expects: the mesh as for delaunay2d_locate; out->struct_size set. */
DELAUNAY2D_API delaunay2d_status delaunay2d_voronoi_build(const double* coords, size_t stride,
                                                          const delaunay2d_result* mesh, delaunay2d_voronoi* out);

/* Frees the arrays of a diagram and zeroes it (struct_size kept); accepts a
 * zeroed record and a null pointer.
 * Expects: `v` null, zeroed, or filled by delaunay2d_voronoi_build and not freed since. */
DELAUNAY2D_API void delaunay2d_voronoi_free(delaunay2d_voronoi* v);

/* Voronoi cells clipped to a box, as polygons. */
typedef struct delaunay2d_cells {
    size_t struct_size; /* set by the host before the call: sizeof as it knows it */
    size_t point_count;
    size_t* offsets;  /* point_count + 1: cell i is vertices[2*offsets[i] .. 2*offsets[i+1]) */
    double* vertices; /* x, y pairs */
} delaunay2d_cells;

/* Each input point's cell clipped to the box (xmin, ymin, xmax, ymax), as a
 * closed polygon counter-clockwise (first vertex not repeated); a cell that
 * does not meet the box's interior, and the cell of a repeated point or of
 * one with a NaN or infinite coordinate, has no vertices (a repeated point's
 * area belongs to the point that stands for it, so the cells' areas add up
 * to the box's). Right also when all points are collinear (the cells are
 * strips between perpendicular bisectors). The cells are the mesh
 * vertices' Voronoi cells when the mesh is their Delaunay triangulation.
 * Returns DELAUNAY2D_INVALID_ARGUMENT for a null out or bbox, an
 * out->struct_size below this record's first release, a box that is not
 * finite with xmin < xmax and ymin < ymax, or the mesh cases of
 * delaunay2d_locate; DELAUNAY2D_OUT_OF_MEMORY when memory runs out. On
 * failure *out is zeroed (struct_size kept). Release with
 * delaunay2d_cells_free.
 * Expects: the mesh as for delaunay2d_locate; `bbox` 4 doubles; out->struct_size set. */
DELAUNAY2D_API delaunay2d_status delaunay2d_voronoi_cells(const double* coords, size_t stride,
                                                          const delaunay2d_result* mesh, const double bbox[4],
                                                          unsigned threads, delaunay2d_cells* out);

/* Frees the arrays of a cell list and zeroes it (struct_size kept); accepts
 * a zeroed record and a null pointer.
 * Expects: `cells` null, zeroed, or filled by delaunay2d_voronoi_cells and not freed since. */
DELAUNAY2D_API void delaunay2d_cells_free(delaunay2d_cells* cells);

/* --------------------------------------------------- neighbour conventions
 *
 * Two ways of numbering a triangle's three neighbours are common, and code
 * moved from one to the other gets wrong neighbours without an error:
 *   by edge: neighbour i is across the edge from vertex i to vertex i + 1
 *     (mod 3). delaunay2d_result's neighbours, Triangle.vor of the traced
 *     entry points, and delaunator's half-edges count so.
 *   by opposite vertex: neighbour k is across the edge opposite vertex k.
 *     scipy.spatial.Delaunay and the .neigh files of Shewchuk's Triangle
 *     count so.
 * The edge from v[i] to v[i+1] is opposite v[i+2], so the neighbour opposite
 * vertex k is the one across edge (k + 1) % 3.
 */

/* Converts the neighbours to the numbering by opposite vertex: out[3t + k] is
 * the triangle across the edge opposite vertex k of triangle t (that is,
 * result->neighbours[3t + (k + 1) % 3]), or -1 on the hull. out may be
 * result->neighbours itself, which is then converted in place (and no longer
 * means what the field's comment says). Side effects: writes out only.
 * Returns DELAUNAY2D_OK, or DELAUNAY2D_INVALID_ARGUMENT for a null result,
 * or a null out or null neighbours when there are triangles.
 * Expects: `out` 3 * result->triangle_count entries. */
DELAUNAY2D_API delaunay2d_status delaunay2d_neighbours_opposite_vertex(const delaunay2d_result* result,
                                                                        int32_t* out);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* The traced entry points, their records and the building blocks. */
#include "delaunay2d_traced.h"

#endif /* DELAUNAY2D_H */
