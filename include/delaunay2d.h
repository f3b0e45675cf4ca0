/*
 * delaunay2d: two-dimensional Delaunay triangulation by divide and conquer.
 *
 * Plain C interface, usable from C and C++. Every record crosses the library
 * boundary by value or by pointer exactly as laid out here: all fields are
 * 8 bytes wide, in the order given, with no packing directives.
 *
 * Points are referred to by address: two records with equal coordinates are
 * two different points to the building blocks. The host owns every Point3D
 * and must keep it alive and in place while it reads a mesh that refers to it.
 *
 * What a call does besides returning its result
 * ----------------------------------------------
 * - Trace. The entry points and several building blocks write trace lines to
 *   standard output through the C library's stdout stream (fwrite, whole
 *   lines at a time; stdout itself is not flushed). Each function below says
 *   which lines it writes. Lines of calls made at the same time from several
 *   threads interleave line by line.
 * - Random draws. Every sort draws its pivots with rand(), one draw per
 *   partition, so a call that sorts advances the C library's random state.
 *   The library never calls srand(); seed it to make the draws repeatable.
 * - Threads. create_mesh_2d, create_triangle_mesh_2d and partition_point_arr
 *   may run parts of their work on one second thread when the input is
 *   large (a few thousand points or more) and the process may run on two
 *   cores or more. The thread ends before the call returns, and the
 *   result and the trace are the same as on one thread. Setting the
 *   environment variable DELAUNAY2D_THREADS to 1 keeps every such call on
 *   the calling thread (read once at the start of each call).
 *   delaunay2d_triangulate uses as many threads as its `threads` argument
 *   allows (see there), whatever DELAUNAY2D_THREADS says; its threads, too,
 *   end before it returns. Every other function runs on the calling thread
 *   alone.
 * - Fatal stops. The library returns no error codes. On a fatal condition it
 *   writes its pending trace lines, then one message without a line end
 *   ("length is not enough" when an entry point is given fewer than three
 *   points, "member is not enough" when an allocation fails), and ends the
 *   whole process with exit(-1), which a POSIX parent sees as status 255.
 * - Stack. On the calling thread, create_mesh_2d, create_triangle_mesh_2d
 *   and delaunay2d_triangulate use at most about 10 KiB of stack, whatever
 *   the number of points and however degenerate they are (the recursion is
 *   shallow, and the exact predicates keep their scratch small); a host
 *   thread made with a 16 KiB stack (the least POSIX threads allow on
 *   x86-64 Linux, part of which the thread's own records take) runs them.
 *   This holds for an optimised build of the library; sanitizers and -O0
 *   make every frame several times larger.
 *   Threads the library starts itself get stacks of their own.
 * - Heap. Every block the library returns or takes over (meshes, point and
 *   edge lists) belongs to the malloc, realloc and free of the C runtime the
 *   library is linked with; blocks a host passes in for the library to
 *   resize or free must come from that same malloc.
 * - Tolerance. The entry points decide every orientation and in-circle
 *   question exactly. The building blocks of the merge (predicates,
 *   triangle operations, base LR edge, chain, removal) follow their own
 *   definitions with the absolute tolerance 1e-8 and are not what the entry
 *   points run; they are exported to be called on their own.
 */
#ifndef DELAUNAY2D_H
#define DELAUNAY2D_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

/* The library's version; the same as the build's project version. */
#define DELAUNAY2D_VERSION_MAJOR 1
#define DELAUNAY2D_VERSION_MINOR 0
#define DELAUNAY2D_VERSION_PATCH 0
#define DELAUNAY2D_VERSION "1.0.0"

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

/* Flexible array members are standard C; C++ compilers take them as an
 * extension, which this marker keeps quiet under pedantic warnings. */
#if defined(__GNUC__)
#define DELAUNAY2D_FLEXIBLE __extension__
#else
#define DELAUNAY2D_FLEXIBLE
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------ records */

/* One input point. Only x and y take part in the geometry; z and w ride
 * along, break the last tie of every point order (by z + w) and are averaged
 * into each triangle's centroid. */
typedef struct Point3D {
    double x;
    double y;
    double z;
    double w;
} Point3D;

/* A counted array of point pointers in one heap block (no capacity field). */
typedef struct Point3DList {
    size_t length;
    DELAUNAY2D_FLEXIBLE Point3D* points[];
} Point3DList;

/* One triangle. Edge i joins points[i] and points[(i + 1) % 3]; vor[i] is the
 * neighbouring triangle across edge i, or null. radius is 0.0 for a proper
 * mesh triangle and negative (-1.0) for a two-point triangle or a triangle
 * removed during a merge.
 *
 * In a mesh from the entry points, outer_center is all zeros and radius 0.0
 * in every triangle: no circumcircle is computed (the merges decide with
 * exact predicates instead). create_outer_center_2d fills both for one
 * triangle, in plain floating point and with radius -1.0 when twice the
 * triangle's area is below 1e-8. The vertex order is not normalised: a
 * triangle made by a merge lists its vertices counter-clockwise, but a base
 * triangle that no merge replaced keeps its three points in split order,
 * which may be clockwise. delaunay2d_triangulate gives every triangle
 * counter-clockwise. */
typedef struct Triangle {
    Point3D* points[3];
    struct Triangle* vor[3];
    Point3D inner_center;
    Point3D outer_center;
    double radius;
} Triangle;

/* A mesh: a two-word header followed by length triangles in one heap block.
 * triangles[0 .. inner_length-1] are the inner triangles, the rest the edge
 * triangles. */
typedef struct Mesh2D {
    size_t length;
    size_t inner_length;
    DELAUNAY2D_FLEXIBLE Triangle triangles[];
} Mesh2D;

/* Half-open slice [beg, end) of a sorted point list. */
typedef struct PointRange {
    size_t beg;
    size_t end;
    Point3DList* list;
} PointRange;

/* A cross edge between the left and the right mesh of a merge. */
typedef struct LREdge {
    Point3D* left;
    Point3D* right;
} LREdge;

/* The cross edges of one merge, bottom to top, in one heap block. */
typedef struct LREdgeList {
    size_t length;
    DELAUNAY2D_FLEXIBLE LREdge edges[];
} LREdgeList;

/* A point order: returns 1 when a goes before b, else -1 (never 0). */
typedef int (*PointCompare)(const Point3D* a, const Point3D* b);

/* ------------------------------------------------------------ entry points */

/* Threads. The entry points triangulate inputs of 4096 points or more on two
 * threads (the calling one and one they start and join) when the process may
 * run on two cores or more; the result is the same on one thread. The
 * environment variable DELAUNAY2D_THREADS, read once at the start of every
 * call, bounds that:
 *   unset, empty or 0   the library's choice (at most two threads);
 *   1                   every call on the calling thread only;
 *   2 or more           at most that many (so the library's choice).
 * The value is a decimal number; spaces around it are allowed, and any other
 * value is taken as unset. */

/* What depends on what (both entry points): the mesh (its triangles, their
 * order, vertices and links) depends on the points alone, but for one
 * thing. The sort breaks ties between records equal in x, y and z + w (or
 * whose z + w, x or y is NaN) by the C library's rand(), which the library
 * draws from and never seeds; so which record of such a tie stands for its
 * point in the triangles, and with it the centroids it enters and the order
 * of the trace lines, depends on the rand() state (srand with the same seed
 * before the call gives the same result). Hosts that need results that do
 * not depend on it, or counter-clockwise triangles, call
 * delaunay2d_triangulate. */

/* Triangulates the n contiguous host points at `points` and returns a new
 * mesh; release it with free_mesh.
 * Expects: n >= 3 (else "length is not enough" and exit(-1), before anything
 * is printed or allocated); `points` valid for n records. The array is never
 * written or reordered; it must stay alive and in place while the host reads
 * the mesh, whose vertices point into it. Points with a NaN or infinite x or
 * y, and every record but the first (in split order) of a group with equal x
 * and y, are in no triangle.
 * Side effects: prints one point line per point in split order, then one
 * line per base range and per merge of the recursion; draws from rand() as
 * sort_point with sort_point_x_maxY does on a list of the points (a sort of
 * large groups of points equal in every key stops drawing early); may use a
 * second thread; exit(-1) with "member is not enough" when memory runs out. */
DELAUNAY2D_API Mesh2D* create_mesh_2d(Point3D* points, size_t n);

/* Triangulates the points of a host list into `mesh` and returns the
 * finished mesh; release it with free_mesh.
 * Expects: list->length >= 3 (else "length is not enough" and exit(-1), before
 * anything is sorted or printed); `mesh` a block from malloc with room for
 * the header and one Triangle, whose content is not read. With four points or
 * more the block is resized and may move: use the returned pointer, never the
 * one passed. The list itself is reordered in place into split order and is
 * neither kept nor freed; the points it refers to must outlive the mesh.
 * Side effects: those of create_mesh_2d. */
DELAUNAY2D_API Mesh2D* create_triangle_mesh_2d(Point3DList* list, Mesh2D* mesh);

/* Triangulates the points range->beg .. range->end - 1 of range->list into
 * `mesh` and returns it, possibly moved.
 * Expects: a range meant to be in split order (points out of order are put
 * in it on a copy; the list is not changed); a range of fewer than two
 * points or reaching past the list gives an empty mesh, as
 * create_mesh_by_2_3_point does; `mesh` a block from malloc with room for
 * the header and one Triangle, resized when the range holds four points or
 * more.
 * Side effects: prints the base-range and merge lines of the range (no point
 * lines); no rand() draws; may use a second thread; exit(-1) with "member is
 * not enough" when memory runs out. */
DELAUNAY2D_API Mesh2D* partition_point_arr(PointRange* range, Mesh2D* mesh);

/* Builds the one-triangle base mesh of a range of two or three points
 * (entries beg, beg + 1 and end - 1 of the list, in that order) in `mesh`.
 * Expects: `mesh` with room for the header and one Triangle; a range outside
 * the list or of fewer than two points gets an empty mesh instead.
 * Side effects: prints one base-mesh line. */
DELAUNAY2D_API void create_mesh_by_2_3_point(PointRange* range, Mesh2D* mesh);

/* Releases a mesh returned by the library (or any block from the same
 * malloc) with free; null is accepted and does nothing. */
DELAUNAY2D_API void free_mesh(Mesh2D* mesh);

/* ------------------------------------------------------------ construction */

/* Fills t with the vertices p0, p1, p2, null links, a zero outer_center, the
 * centroid, and radius -1.0 when p1 and p2 are the same point (else 0.0).
 * Expects: t writable; p0, p1, p2 valid points (read for the centroid). */
DELAUNAY2D_API void create_triangle(Triangle* t, Point3D* p0, Point3D* p1, Point3D* p2);

/* Sets t's inner_center to the average of its three vertices (all four
 * components). Expects: t's three points set and valid. */
DELAUNAY2D_API void create_inner_center_2d(Triangle* t);

/* ------------------------------------------------------ ordering and output */

/* Sorts the list in place with the given order (randomised quicksort).
 * Expects: every entry of the list valid, compare one of the orders below or
 * one that, like them, never returns 0. Draws from rand() once per partition
 * (none for fewer than three points). */
DELAUNAY2D_API void sort_point(Point3DList* list, PointCompare compare);

/* Sorts positions lo..hi (both inclusive) of the list in place; draws from
 * rand() once per partition. Expects: hi < list->length (lo > hi sorts
 * nothing). */
DELAUNAY2D_API void random_quick_sort(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Swaps a position of lo..hi drawn with one rand() call into hi, then
 * partitions; returns the pivot's final position. Expects: lo <= hi <
 * list->length. */
DELAUNAY2D_API size_t random_partition(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Partitions lo..hi around the point at hi (the entries that go before it
 * end below it, in their original order); returns the pivot's final
 * position. Expects: lo <= hi < list->length. No draw. */
DELAUNAY2D_API size_t partition(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Exchanges the pointers held in two slots; both must be valid. */
DELAUNAY2D_API void swap_point_3d(Point3D** a, Point3D** b);

/* Split order: ascending x, equal x by descending y, then ascending z + w. */
DELAUNAY2D_API int sort_point_x_maxY(const Point3D* a, const Point3D* b);

/* Left bottom-first order: ascending y, equal y by descending x, then z + w. */
DELAUNAY2D_API int sort_point_y_lx(const Point3D* a, const Point3D* b);

/* Right bottom-first order: ascending y, equal y by ascending x, then z + w. */
DELAUNAY2D_API int sort_point_y_rx(const Point3D* a, const Point3D* b);

/* Prints one trace line per point of the list, in list order, to stdout.
 * Expects: every entry valid. */
DELAUNAY2D_API void print_point_3d_list(const Point3DList* list);

/* Returns when p is not null; otherwise writes pending trace lines and
 * "member is not enough" to stdout and ends the process with exit(-1). */
DELAUNAY2D_API void check_realloc(void* p);

/* --------------------------------------------------------------- predicates */

/* Orientation value of p against the directed line a->b (positive: p to the
 * left); 0.0 when p is a or b (by address, without reading p) or when
 * |value| < 1e-8. Expects: a and b valid, p valid unless it is a or b. */
DELAUNAY2D_API double is_bottom_on_line_point_2d(const Point3D* a, const Point3D* b, const Point3D* p);

/* True when the closed segments a-b and c-d meet; parallel segments never
 * do, nor do segments with a NaN coordinate. */
DELAUNAY2D_API bool line_is_cross_2d(Point3D a, Point3D b, Point3D c, Point3D d);

/* Euclidean distance of a and b in the x-y plane (z and w are not read). */
DELAUNAY2D_API double point_2d_distance(Point3D a, Point3D b);

/* ------------------------------------------------------ triangle operations */

/* Writes t's circumcentre into outer_center and the circumradius (measured
 * from points[0]) into radius; a collinear triple (twice the area below 1e-8)
 * gets radius -1.0 and keeps its outer_center. Expects: t's three points set
 * and valid. */
DELAUNAY2D_API void create_outer_center_2d(Triangle* t);

/* Index (0, 1, 2) of t's edge joining p and q (by address, either
 * direction), or -1; the lowest index wins. Only addresses are compared. */
DELAUNAY2D_API int triangle_overlay_line_2d(const Triangle* t, const Point3D* p, const Point3D* q);

/* Links t's slot i and n's slot j to each other; does nothing unless both
 * i and j are 0, 1 or 2 (i is -1 when triangle_overlay_line_2d found no
 * shared edge). */
DELAUNAY2D_API void create_triangle_vor(Triangle* t, int i, Triangle* n, int64_t j);

/* 1 when point lies inside t's computed circumcircle (outer_center and
 * radius, as create_outer_center_2d leaves them) by at least 1e-8, else 0;
 * a radius of -1.0 or 0.0 never holds a point. */
DELAUNAY2D_API int point_inner_triangle_circular(Point3D point, Triangle t);

/* True when a vertex of one of mesh's edge triangles lies inside t's
 * computed circumcircle (as point_inner_triangle_circular decides).
 * Expects: the mesh's edge triangles to have valid points. */
DELAUNAY2D_API bool point_inner_triangle_list_circular(Triangle t, const Mesh2D* mesh);

/* ----------------------------------------------------------- base LR edge */

/* Appends p to the list unless it is already there (by address); returns
 * p's index in the list. Expects: room in the block for one more entry. */
DELAUNAY2D_API size_t push_point_2d_no_repeat(Point3D* p, Point3DList* list);

/* Appends the distinct vertices of mesh's edge triangles to the list, then
 * sorts the whole list with compare (rand() draws as sort_point). Expects:
 * room in the block for three entries per edge triangle. */
DELAUNAY2D_API void create_point_no_repeat(const Mesh2D* mesh, Point3DList* list, PointCompare compare);

/* Writes the lower common tangent of two neighbouring meshes into edge,
 * found among the vertices of their edge triangles. An end whose mesh has no
 * edge triangle keeps what the caller put there (null, say). Allocates and
 * frees two point lists and sorts them (rand() draws); exit(-1) when memory
 * runs out. */
DELAUNAY2D_API void find_base_lr_edge(const Mesh2D* left, const Mesh2D* right, LREdge* edge);

/* Moves the ends of edge until no point of either list lies below it by
 * 1e-8 or more (a sweep that would cycle stops after a bounded number of
 * passes). Does nothing unless both ends are set. */
DELAUNAY2D_API void update_line_bottom_edge(Point3DList* left, Point3DList* right, LREdge* edge);

/* One sweep over the list moving the end that side selects (0 left, 1
 * right); returns 1 when the end moved, else 0 (also for any other side or
 * an edge without both ends). */
DELAUNAY2D_API int update_line_bottom_edge_point(Point3DList* list, LREdge* edge, int side);

/* ---------------------------------------------------------- LR-edge chain */

/* Looks in mesh (side 0 left, 1 right) for the next chain point above edge;
 * returns 1 and fills candidate's points, outer_center and radius, else 0.
 * Expects: candidate writable; an edge without both ends finds nothing. */
DELAUNAY2D_API int find_side_potential_point(const Mesh2D* mesh, LREdge edge, int side, Triangle* candidate);

/* Extends the cross-edge list up to the top; returns the list, which may
 * have moved. Expects: list from malloc, with room for its length rounded up
 * to a multiple of four edges (it grows the block by four edges whenever the
 * length is a multiple of four); exit(-1) when the realloc fails. An empty list stays empty. */
DELAUNAY2D_API LREdgeList* find_lr_edge(const Mesh2D* left, const Mesh2D* right, LREdgeList* list);

/* -------------------------------------------------- removal of crossings */

/* 1 when t is to be removed for the chain (side 0 left mesh, 1 right):
 * already marked (negative radius), or an edge opposite a chain end of that
 * side crosses a chain edge; 0 for an empty chain. */
DELAUNAY2D_API int find_edge_triangle_cross_lr_edge(const Triangle* t, const LREdgeList* list, int side);

/* Clears the links that t's neighbours hold to t; t's own links stay. */
DELAUNAY2D_API void merge_mesh_remove_voronoi(Triangle* t);

/* Marks (radius -1.0) and unlinks mesh's edge triangles crossed by the
 * chain, leaving them in place; returns the number of edge triangles kept. */
DELAUNAY2D_API size_t merge_edge_triangle_filter(Mesh2D* mesh, const LREdgeList* list, int side);

/* ------------------------------------------------------------------ merge */

/* Merges two neighbouring half meshes into result, resized to the exact
 * count, and returns the merged mesh, which may have moved. Expects: left,
 * right and result from malloc; left and right are freed, and links that
 * would point outside the merged block are cleared. beg, pivot, end serve
 * the trace only. Side effects: prints one merge line; draws from rand()
 * (find_base_lr_edge); exit(-1) when memory runs out. */
DELAUNAY2D_API Mesh2D* merge_mesh(size_t beg, size_t pivot, size_t end, Mesh2D* left, Mesh2D* right, Mesh2D* result);

/* Copies source's inner triangles to the end of destination, counting them
 * as inner, and re-points their neighbours' links to the copies. Expects:
 * room in destination for them. */
DELAUNAY2D_API void merge_inner_triangle_mesh(Mesh2D* destination, Mesh2D* source);

/* Copies source's edge triangles that are not removed (radius not negative)
 * to the end of destination and re-points their neighbours' links to the
 * copies. Expects: room in destination for them. */
DELAUNAY2D_API void merge_edge_triangle_mesh(Mesh2D* destination, Mesh2D* source);

/* Re-points the links held by old_t's neighbours from old_t to new_t. */
DELAUNAY2D_API void merge_mesh_update_voronoi(Triangle* new_t, Triangle* old_t);

/* Appends one linked triangle per pair of consecutive cross edges, then
 * restores the inner/edge split. Expects: room in the mesh for one triangle
 * per edge after the first; the three indices as merge_mesh sets them. */
DELAUNAY2D_API void merge_lr_line_triangle_mesh(Mesh2D* mesh, const LREdgeList* list, size_t right_inner_beg,
                                                size_t right_edge_beg, size_t lr_beg);

/* Links the mesh's last triangle to its predecessor and its side neighbour,
 * searching only the records before it; nothing for an empty mesh. */
DELAUNAY2D_API void mesh_create_last_triangle_voronoi(Mesh2D* mesh, size_t right_inner_beg, size_t right_edge_beg,
                                                      size_t lr_beg, bool share_left);

/* Links candidate to last when candidate has last's side edge; returns 1
 * when linked, else 0. */
DELAUNAY2D_API int mesh_find_triangle_create_vor(Triangle* candidate, bool share_left, Triangle* last);

/* Moves every edge triangle with three links into the inner part, each by
 * an exchange with the first edge triangle that keeps every link pointing at
 * the same triangle. */
DELAUNAY2D_API void update_edge_triangle(Mesh2D* mesh);

/* ----------------------------------------------------------- the index-array call
 *
 * delaunay2d_triangulate is what most hosts want: coordinates in, compact
 * index arrays out. It prints nothing, never ends the process, never calls
 * rand(), keeps no state between calls, and may be called from several
 * threads at once. Its result is deterministic: the same points give the
 * same arrays, whatever the number of threads.
 */

typedef enum delaunay2d_status {
    DELAUNAY2D_OK = 0,
    DELAUNAY2D_INVALID_ARGUMENT = 1,
    DELAUNAY2D_OUT_OF_MEMORY = 2,
    DELAUNAY2D_TOO_MANY_POINTS = 3
} delaunay2d_status;

/* The most points one call triangulates; beyond, DELAUNAY2D_TOO_MANY_POINTS. */
#define DELAUNAY2D_MAX_POINTS 134217664u

typedef struct delaunay2d_result {
    size_t point_count;        /* count as passed in */
    size_t triangle_count;
    uint32_t* triangles;       /* 3 * triangle_count point indices, every triangle counter-clockwise */
    int32_t* neighbours;       /* 3 * triangle_count: the triangle across edge (v[i], v[(i+1)%3]), or -1
                                * (numbered by edge, the half-edge habit; for scipy's and Triangle's
                                * "opposite vertex k", see delaunay2d_neighbours_opposite_vertex) */
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
 * orientation or in-circle test, and among cocircular points the choice of
 * diagonals is fixed by the points alone.
 *
 * threads: 1 runs on the calling thread only, 0 lets the library choose (the
 * cores the process may use), k uses at most k threads.
 *
 * Returns DELAUNAY2D_OK, or: DELAUNAY2D_INVALID_ARGUMENT for a null result,
 * null coords with count > 0, or stride < 2; DELAUNAY2D_TOO_MANY_POINTS
 * beyond 134,217,664 points; DELAUNAY2D_OUT_OF_MEMORY when memory runs out.
 * On any failure *result is zeroed and nothing is left allocated. Release a
 * result with delaunay2d_result_free. */
DELAUNAY2D_API delaunay2d_status delaunay2d_triangulate(const double* coords, size_t count, size_t stride,
                                                        unsigned threads, delaunay2d_result* result);

/* Frees the arrays of a result and zeroes it; accepts a zeroed result and a
 * null pointer. */
DELAUNAY2D_API void delaunay2d_result_free(delaunay2d_result* result);

/* The neighbours numbered by opposite vertex, the habit of scipy.spatial
 * and of Triangle's .neigh files: out[3t + k] is the triangle across the
 * edge opposite vertex k of triangle t (that is, result->neighbours[3t +
 * (k + 1) % 3]), or -1 on the hull.
 *
 * Expects: out has room for 3 * result->triangle_count entries; it may be
 * result->neighbours itself, which is then converted in place (and no longer
 * means what the field's comment says). Side effects: writes out only.
 * Returns DELAUNAY2D_OK, or DELAUNAY2D_INVALID_ARGUMENT for a null result,
 * or a null out or null neighbours when there are triangles. */
DELAUNAY2D_API delaunay2d_status delaunay2d_neighbours_opposite_vertex(const delaunay2d_result* result,
                                                                        int32_t* out);

/* A short English description of a status, for messages; never null. */
DELAUNAY2D_API const char* delaunay2d_status_message(delaunay2d_status status);

/* The library's version, "major.minor.patch". */
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
 * Segments. A segment through another input point is split there. Two
 * segments that cross at a point inside both are split at their crossing;
 * each coordinate of the exact crossing is rounded to the nearest double
 * (ties to even) and the point is added after the input points. The rounded
 * point may lie a little off both segments: the segments as split are then
 * the pieces from the added point to the four ends, which become edges like
 * any segment (and may in turn be split by what they meet). Segments along
 * one line overlap where they do, and are split at each other's ends.
 * Repeated segments count once; a segment from a point to itself, or
 * between two points with the same x and y, is ignored.
 *
 * Regions. DELAUNAY2D_REGION_HULL keeps the triangles of the whole convex
 * hull; DELAUNAY2D_REGION_INSIDE keeps those that an odd number of closed
 * rings of segments enclose (a triangle is ranked by the fewest segment
 * edges a path from outside the hull crosses to reach it, and kept when
 * that count is odd), so a polygon with holes needs no hole points. In
 * either region each hole point removes the triangles that can be reached
 * from the one holding it without crossing a segment (Triangle's
 * convention); a hole point outside the hull or in a removed part does
 * nothing. A neighbour across a removed part is -1.
 */
typedef enum delaunay2d_region {
    DELAUNAY2D_REGION_HULL = 0,     /* the whole convex hull */
    DELAUNAY2D_REGION_INSIDE = 1    /* what closed rings of segments enclose, even-odd nesting, minus hole points' regions */
} delaunay2d_region;

typedef struct delaunay2d_constraint_options {
    size_t struct_size;          /* sizeof(delaunay2d_constraint_options) as the host knows it */
    const uint32_t* segments;    /* 2 * segment_count point indices */
    size_t segment_count;
    const double* holes;         /* 2 * hole_count: x, y of a point inside each hole */
    size_t hole_count;
    int region;                  /* delaunay2d_region */
    unsigned threads;
} delaunay2d_constraint_options;

typedef struct delaunay2d_constrained_result {
    size_t struct_size;          /* set by the host before the call: sizeof as it knows it */
    delaunay2d_result mesh;      /* over mesh.point_count = count + added_count points */
    double* points;              /* 2 * mesh.point_count: the input points (x, y) then the added crossing points */
    size_t added_count;          /* crossing points added after the input points */
    uint8_t* constrained;        /* 3 * mesh.triangle_count: 1 where edge (v[i], v[i+1]) lies on a segment */
    size_t segment_count;
    uint32_t* segments;          /* 2 * segment_count: the segments as split, as point indices */
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
 * Returns DELAUNAY2D_OK, or: DELAUNAY2D_INVALID_ARGUMENT for a null result
 * or options, a struct_size below that of this first version, null coords
 * with count > 0, stride < 2, null segments or holes with a nonzero count,
 * a region outside delaunay2d_region, a segment naming a point at or past
 * count or a point with a NaN or infinite coordinate, or a hole point with
 * such a coordinate; DELAUNAY2D_TOO_MANY_POINTS when the points, with the
 * crossings, exceed what delaunay2d_triangulate takes;
 * DELAUNAY2D_OUT_OF_MEMORY when memory runs out. On any failure *result is
 * zeroed (but for struct_size) and nothing is left allocated; with a
 * struct_size too small nothing is written. Release a result with
 * delaunay2d_constrained_result_free. */
DELAUNAY2D_API delaunay2d_status delaunay2d_triangulate_constrained(
    const double* coords, size_t count, size_t stride,
    const delaunay2d_constraint_options* options, delaunay2d_constrained_result* result);

/* Frees the arrays of a constrained result and zeroes it (but for
 * struct_size); accepts a zeroed result and a null pointer. */
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
 */

/* For each query: a triangle that contains it (one of them when it lies on
 * an edge or a vertex), decided with exact orientation tests, or -1 when no
 * triangle does (outside the mesh, or a NaN or infinite coordinate).
 * Returns DELAUNAY2D_INVALID_ARGUMENT for a null mesh, null coords or
 * queries or triangle_of_query where they are needed, stride < 2, a mesh
 * whose arrays are null while counts are not, or more than 2^31 - 1
 * queries; DELAUNAY2D_OUT_OF_MEMORY when memory runs out. */
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
 * finds; fill_value where it finds none. NEAREST: the value of the nearest
 * mesh vertex by exact comparison of squared distances, the lower index on a
 * tie; found by descent along the mesh's edges, so exact when the mesh is a
 * Delaunay triangulation (the index-array call's result; with no triangles the
 * points along their line), and fill_value for a query with a NaN or
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
 * method; DELAUNAY2D_OUT_OF_MEMORY when memory runs out. */
DELAUNAY2D_API delaunay2d_status delaunay2d_interpolate(const double* coords, size_t stride,
                                                        const delaunay2d_result* mesh, const double* values,
                                                        size_t value_count, int method, const double* queries,
                                                        size_t query_count, double fill_value, unsigned threads,
                                                        double* out);

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
    int32_t* regions;        /* each point's cell as vertex indices counter-clockwise, -1 marks infinity (scipy's
                                habit); empty for a repeated point or one with a NaN or infinite coordinate */
} delaunay2d_voronoi;

/* Builds the Voronoi diagram of the mesh into *out. Point i's cell is
 * regions[region_offsets[i] .. region_offsets[i + 1]). With no triangles
 * (all points on one line) there are no vertices, a ridge joins each pair
 * of consecutive points along the line, with both ends at infinity, and
 * each cell is the single entry -1. Returns DELAUNAY2D_INVALID_ARGUMENT for
 * a null out, an out->struct_size below the size of this record's first
 * release, or the mesh cases of delaunay2d_locate; DELAUNAY2D_OUT_OF_MEMORY
 * when memory runs out. On failure *out is zeroed (its struct_size kept)
 * and nothing is left allocated. Release with delaunay2d_voronoi_free. */
DELAUNAY2D_API delaunay2d_status delaunay2d_voronoi_build(const double* coords, size_t stride,
                                                          const delaunay2d_result* mesh, delaunay2d_voronoi* out);

/* Frees the arrays of a diagram and zeroes it (struct_size kept); accepts a
 * zeroed record and a null pointer. */
DELAUNAY2D_API void delaunay2d_voronoi_free(delaunay2d_voronoi* v);

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
 * delaunay2d_cells_free. */
typedef struct delaunay2d_cells {
    size_t struct_size; /* set by the host before the call: sizeof as it knows it */
    size_t point_count;
    size_t* offsets;  /* point_count + 1: cell i is vertices[2*offsets[i] .. 2*offsets[i+1]) */
    double* vertices; /* x, y pairs */
} delaunay2d_cells;
DELAUNAY2D_API delaunay2d_status delaunay2d_voronoi_cells(const double* coords, size_t stride,
                                                          const delaunay2d_result* mesh, const double bbox[4],
                                                          unsigned threads, delaunay2d_cells* out);

/* Frees the arrays of a cell list and zeroes it (struct_size kept); accepts
 * a zeroed record and a null pointer. */
DELAUNAY2D_API void delaunay2d_cells_free(delaunay2d_cells* cells);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* DELAUNAY2D_H */
