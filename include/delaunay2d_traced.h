/*
 * delaunay2d_traced.h: the traced entry points and the building blocks.
 *
 * delaunay2d.h includes this header at its end; a host includes
 * <delaunay2d.h> and gets both. Hosts that only call delaunay2d_triangulate
 * and the operations on its result need nothing from here.
 *
 * The traced entry points, create_mesh_2d and create_triangle_mesh_2d, are
 * the library's first interface, kept for hosts written against it. They
 * triangulate an array of the host's Point3D records and return a block of
 * linked Triangle records that point at those records, and they print a
 * trace of their work (every point, every base mesh and every merge) on
 * standard output: hence their name. The building blocks are the sorts,
 * predicates, triangle operations and stages of the merge, exported to be
 * called one by one. The index-array call gives the same triangles as
 * index arrays, without any of the effects below.
 *
 * Words used below. Split order: ascending x, equal x by descending y, then
 * ascending z + w (sort_point_x_maxY); the entry points sort the points into
 * it and split the sorted list in halves. A base range is a slice of two or
 * three points at the bottom of that recursion, triangulated directly (the
 * base mesh); a merge joins the meshes of two neighbouring slices along a
 * chain of cross edges (LR edges: Left point, Right point) from the bottom
 * (the base LR edge, their lower common tangent) to the top. Inner
 * triangles have a neighbour across every edge; edge triangles have at
 * least one edge on the hull of their mesh.
 *
 * What these calls do besides returning their result
 * ---------------------------------------------------
 * - Trace. The entry points and several building blocks write trace lines
 *   to standard output through the C library's stdout stream (fwrite, whole
 *   lines at a time; stdout itself is not flushed). Each function below says
 *   which lines it writes. Lines of calls made at the same time from several
 *   threads interleave line by line.
 * - Fatal stops. They return no error codes. On a fatal condition they
 *   write their pending trace lines, then one message without a line end
 *   ("length is not enough" when an entry point is given fewer than three
 *   points, "member is not enough" when an allocation fails), and end the
 *   whole process with exit(-1), which a POSIX parent sees as status 255.
 * - Random draws. The sorts here (sort_point, random_quick_sort,
 *   random_partition, and the calls that use them) are quicksorts that draw
 *   each pivot with rand(), one draw per partition, so a call that sorts
 *   advances the C library's random state. The library never calls srand();
 *   seed it to make the draws repeatable.
 * - Threads. create_mesh_2d, create_triangle_mesh_2d and partition_point_arr
 *   may run parts of their work on one second thread (see "Threads" below);
 *   every other function here runs on the calling thread alone.
 * - Stack. On the calling thread, create_mesh_2d and create_triangle_mesh_2d
 *   use at most about 10 KiB of stack, as delaunay2d_triangulate does (see
 *   delaunay2d.h).
 * - Heap. Every block these calls return or take over (meshes, point and
 *   edge lists) belongs to the malloc, realloc and free of the C runtime the
 *   library is linked with; blocks a host passes in for the library to
 *   resize or free must come from that same malloc.
 * - Points by address. Two records with equal coordinates are two different
 *   points to the building blocks. The host owns every Point3D and must keep
 *   it alive and in place while it reads a mesh that refers to it.
 * - Tolerance. The entry points decide every orientation and in-circle
 *   question exactly. The building blocks of the merge (predicates,
 *   triangle operations, base LR edge, chain, removal) follow their own
 *   definitions with the absolute tolerance 1e-8 and are not what the entry
 *   points run; they are exported to be called on their own.
 * - Records. Every field of the records here is 8 bytes wide (doubles,
 *   pointers, size_t), in the order given, with no packing directives; the
 *   native library is built for 64-bit platforms only. (The JavaScript
 *   package's 32-bit WebAssembly build leaves this header's functions out.)
 *
 * Each function's comment ends with its preconditions on one line
 * ("Expects: ..."); "valid" means a live record the call may read.
 */
#ifndef DELAUNAY2D_TRACED_H
#define DELAUNAY2D_TRACED_H

#include "delaunay2d.h"

#ifndef __cplusplus
#include <stdbool.h>
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
 * neighbouring triangle across edge i, or null (numbered by edge, as
 * delaunay2d_result's neighbours are). radius is 0.0 for a proper mesh
 * triangle and negative (-1.0) for a two-point triangle or a triangle
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
 * threads (the calling one and one they start and join before they return)
 * when the process may run on two cores or more; the result and the trace
 * are the same as on one thread. The environment variable
 * DELAUNAY2D_THREADS, read once at the start of every call, bounds that:
 *   unset, empty or 0   the library's choice (at most two threads);
 *   1                   every call on the calling thread only;
 *   2 or more           at most that many (so the library's choice).
 * The value is a decimal number; spaces around it are allowed, and any other
 * value is taken as unset. It affects only the calls of this header. */

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
 * mesh; release it with free_mesh. The array is never written or
 * reordered; the mesh's vertices point into it. Points with a NaN or
 * infinite x or y, and every record but the first (in split order) of a
 * group with equal x and y, are in no triangle.
 * Errors: n < 3 prints "length is not enough" and exits (before anything is
 * printed or allocated); "member is not enough" and exit when memory runs out.
 * Side effects: prints one point line per point in split order, then one
 * line per base range and per merge of the recursion; draws from rand() as
 * sort_point with sort_point_x_maxY does on a list of the points (a sort of
 * large groups of points equal in every key stops drawing early); may use a
 * second thread.
 * Expects: `points` valid for n records, alive and in place while the mesh is read; n >= 3. */
DELAUNAY2D_API Mesh2D* create_mesh_2d(Point3D* points, size_t n);

/* Triangulates the points of a host list into `mesh` and returns the
 * finished mesh; release it with free_mesh. With four points or more the
 * block is resized and may move: use the returned pointer, never the one
 * passed. The list itself is reordered in place into split order and is
 * neither kept nor freed; the points it refers to must outlive the mesh.
 * The content of `mesh` is not read.
 * Errors and side effects: those of create_mesh_2d (list->length < 3 exits
 * before anything is sorted or printed).
 * Expects: list->length >= 3, entries valid; `mesh` from malloc, at least sizeof(Mesh2D) + sizeof(Triangle) bytes. */
DELAUNAY2D_API Mesh2D* create_triangle_mesh_2d(Point3DList* list, Mesh2D* mesh);

/* Triangulates the points range->beg .. range->end - 1 of range->list into
 * `mesh` and returns it, possibly moved (resized when the range holds four
 * points or more). A range meant to be in split order is expected; points
 * out of order are put in it on a copy (the list is not changed). A range
 * of fewer than two points or reaching past the list gives an empty mesh,
 * as create_mesh_by_2_3_point does.
 * Side effects: prints the base-range and merge lines of the range (no point
 * lines); no rand() draws; may use a second thread; "member is not enough"
 * and exit(-1) when memory runs out.
 * Expects: `range` and its list valid; `mesh` from malloc, at least sizeof(Mesh2D) + sizeof(Triangle) bytes. */
DELAUNAY2D_API Mesh2D* partition_point_arr(PointRange* range, Mesh2D* mesh);

/* Builds the one-triangle base mesh of a range of two or three points
 * (entries beg, beg + 1 and end - 1 of the list, in that order) in `mesh`;
 * a range outside the list or of fewer than two points gets an empty mesh
 * instead. Side effects: prints one base-mesh line.
 * Expects: `range` and its list valid; `mesh` at least sizeof(Mesh2D) + sizeof(Triangle) bytes. */
DELAUNAY2D_API void create_mesh_by_2_3_point(PointRange* range, Mesh2D* mesh);

/* Releases a mesh returned by the library with free; null does nothing.
 * Expects: `mesh` null or a block from the library's malloc. */
DELAUNAY2D_API void free_mesh(Mesh2D* mesh);

/* ------------------------------------------------------------ construction */

/* Fills t with the vertices p0, p1, p2, null links, a zero outer_center, the
 * centroid, and radius -1.0 when p1 and p2 are the same point (else 0.0).
 * Expects: `t` writable; `p0`, `p1`, `p2` valid (read for the centroid). */
DELAUNAY2D_API void create_triangle(Triangle* t, Point3D* p0, Point3D* p1, Point3D* p2);

/* Sets t's inner_center to the average of its three vertices (all four
 * components).
 * Expects: t's three points set and valid. */
DELAUNAY2D_API void create_inner_center_2d(Triangle* t);

/* ------------------------------------------------------ ordering and output */

/* Sorts the list in place with the given order (randomised quicksort).
 * Draws from rand() once per partition (none for fewer than three points).
 * Expects: every entry valid; `compare` one of the orders below, or one that never returns 0. */
DELAUNAY2D_API void sort_point(Point3DList* list, PointCompare compare);

/* Sorts positions lo..hi (both inclusive) of the list in place; lo > hi
 * sorts nothing. Draws from rand() once per partition.
 * Expects: hi < list->length; entries lo..hi valid; `compare` as for sort_point. */
DELAUNAY2D_API void random_quick_sort(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Swaps a position of lo..hi drawn with one rand() call into hi, then
 * partitions; returns the pivot's final position.
 * Expects: lo <= hi < list->length; entries lo..hi valid. */
DELAUNAY2D_API size_t random_partition(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Partitions lo..hi around the point at hi (the entries that go before it
 * end below it, in their original order); returns the pivot's final
 * position. No draw.
 * Expects: lo <= hi < list->length; entries lo..hi valid. */
DELAUNAY2D_API size_t partition(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Exchanges the pointers held in two slots.
 * Expects: `a` and `b` valid slots. */
DELAUNAY2D_API void swap_point_3d(Point3D** a, Point3D** b);

/* Split order: ascending x, equal x by descending y, then ascending z + w.
 * Expects: `a` and `b` valid. */
DELAUNAY2D_API int sort_point_x_maxY(const Point3D* a, const Point3D* b);

/* Left bottom-first order: ascending y, equal y by descending x, then z + w.
 * Expects: `a` and `b` valid. */
DELAUNAY2D_API int sort_point_y_lx(const Point3D* a, const Point3D* b);

/* Right bottom-first order: ascending y, equal y by ascending x, then z + w.
 * Expects: `a` and `b` valid. */
DELAUNAY2D_API int sort_point_y_rx(const Point3D* a, const Point3D* b);

/* Prints one trace line per point of the list, in list order, to stdout.
 * Expects: every entry valid. */
DELAUNAY2D_API void print_point_3d_list(const Point3DList* list);

/* Returns when p is not null; otherwise writes pending trace lines and
 * "member is not enough" to stdout and ends the process with exit(-1).
 * Expects: nothing. */
DELAUNAY2D_API void check_realloc(void* p);

/* --------------------------------------------------------------- predicates */

/* Orientation value of p against the directed line a->b (positive: p to the
 * left); 0.0 when p is a or b (by address, without reading p) or when
 * |value| < 1e-8.
 * Expects: `a` and `b` valid; `p` valid unless it is `a` or `b`. */
DELAUNAY2D_API double is_bottom_on_line_point_2d(const Point3D* a, const Point3D* b, const Point3D* p);

/* True when the closed segments a-b and c-d meet; parallel segments never
 * do, nor do segments with a NaN coordinate.
 * Expects: nothing (the points are passed by value). */
DELAUNAY2D_API bool line_is_cross_2d(Point3D a, Point3D b, Point3D c, Point3D d);

/* Euclidean distance of a and b in the x-y plane (z and w are not read).
 * Expects: nothing. */
DELAUNAY2D_API double point_2d_distance(Point3D a, Point3D b);

/* ------------------------------------------------------ triangle operations */

/* Writes t's circumcentre into outer_center and the circumradius (measured
 * from points[0]) into radius; a collinear triple (twice the area below 1e-8)
 * gets radius -1.0 and keeps its outer_center.
 * Expects: t's three points set and valid. */
DELAUNAY2D_API void create_outer_center_2d(Triangle* t);

/* Index (0, 1, 2) of t's edge joining p and q (by address, either
 * direction), or -1; the lowest index wins. Only addresses are compared.
 * Expects: `t` valid. */
DELAUNAY2D_API int triangle_overlay_line_2d(const Triangle* t, const Point3D* p, const Point3D* q);

/* Links t's slot i and n's slot j to each other; does nothing unless both
 * i and j are 0, 1 or 2 (i is -1 when triangle_overlay_line_2d found no
 * shared edge).
 * Expects: `t` and `n` writable. */
DELAUNAY2D_API void create_triangle_vor(Triangle* t, int i, Triangle* n, int64_t j);

/* 1 when point lies inside t's computed circumcircle (outer_center and
 * radius, as create_outer_center_2d leaves them) by at least 1e-8, else 0;
 * a radius of -1.0 or 0.0 never holds a point.
 * Expects: nothing (both are passed by value). */
DELAUNAY2D_API int point_inner_triangle_circular(Point3D point, Triangle t);

/* True when a vertex of one of mesh's edge triangles lies inside t's
 * computed circumcircle (as point_inner_triangle_circular decides).
 * Expects: `mesh` valid, its edge triangles' points valid. */
DELAUNAY2D_API bool point_inner_triangle_list_circular(Triangle t, const Mesh2D* mesh);

/* ----------------------------------------------------------- base LR edge */

/* Appends p to the list unless it is already there (by address); returns
 * p's index in the list.
 * Expects: room in the list's block for one more entry. */
DELAUNAY2D_API size_t push_point_2d_no_repeat(Point3D* p, Point3DList* list);

/* Appends the distinct vertices of mesh's edge triangles to the list, then
 * sorts the whole list with compare (rand() draws as sort_point).
 * Expects: room in the list's block for three entries per edge triangle; `compare` as for sort_point. */
DELAUNAY2D_API void create_point_no_repeat(const Mesh2D* mesh, Point3DList* list, PointCompare compare);

/* Writes the lower common tangent of two neighbouring meshes into edge,
 * found among the vertices of their edge triangles. An end whose mesh has no
 * edge triangle keeps what the caller put there (null, say). Allocates and
 * frees two point lists and sorts them (rand() draws); exit(-1) when memory
 * runs out.
 * Expects: `left` and `right` valid neighbouring meshes, `left` the left one; `edge` writable. */
DELAUNAY2D_API void find_base_lr_edge(const Mesh2D* left, const Mesh2D* right, LREdge* edge);

/* Moves the ends of edge until no point of either list lies below it by
 * 1e-8 or more (a sweep that would cycle stops after a bounded number of
 * passes). Does nothing unless both ends are set.
 * Expects: every entry of both lists valid. */
DELAUNAY2D_API void update_line_bottom_edge(Point3DList* left, Point3DList* right, LREdge* edge);

/* One sweep over the list moving the end that side selects (0 left, 1
 * right); returns 1 when the end moved, else 0 (also for any other side or
 * an edge without both ends).
 * Expects: every entry of the list valid. */
DELAUNAY2D_API int update_line_bottom_edge_point(Point3DList* list, LREdge* edge, int side);

/* ---------------------------------------------------------- LR-edge chain */

/* Looks in mesh (side 0 left, 1 right) for the next chain point above edge;
 * returns 1 and fills candidate's points, outer_center and radius, else 0.
 * An edge without both ends finds nothing.
 * Expects: `mesh` valid; `candidate` writable. */
DELAUNAY2D_API int find_side_potential_point(const Mesh2D* mesh, LREdge edge, int side, Triangle* candidate);

/* Extends the cross-edge list up to the top; returns the list, which may
 * have moved (it grows the block by four edges whenever the length is a
 * multiple of four); exit(-1) when the realloc fails. An empty list stays
 * empty.
 * Expects: `list` from malloc, with room for its length rounded up to a multiple of four edges. */
DELAUNAY2D_API LREdgeList* find_lr_edge(const Mesh2D* left, const Mesh2D* right, LREdgeList* list);

/* -------------------------------------------------- removal of crossings */

/* 1 when t is to be removed for the chain (side 0 left mesh, 1 right):
 * already marked (negative radius), or an edge opposite a chain end of that
 * side crosses a chain edge; 0 for an empty chain.
 * Expects: `t` and `list` valid. */
DELAUNAY2D_API int find_edge_triangle_cross_lr_edge(const Triangle* t, const LREdgeList* list, int side);

/* Clears the links that t's neighbours hold to t; t's own links stay.
 * Expects: `t` valid, its non-null links valid. */
DELAUNAY2D_API void merge_mesh_remove_voronoi(Triangle* t);

/* Marks (radius -1.0) and unlinks mesh's edge triangles crossed by the
 * chain, leaving them in place; returns the number of edge triangles kept.
 * Expects: `mesh` and `list` valid. */
DELAUNAY2D_API size_t merge_edge_triangle_filter(Mesh2D* mesh, const LREdgeList* list, int side);

/* ------------------------------------------------------------------ merge */

/* Merges two neighbouring half meshes into result, resized to the exact
 * count, and returns the merged mesh, which may have moved. left and right
 * are freed, and links that would point outside the merged block are
 * cleared. beg, pivot, end serve the trace only. Side effects: prints one
 * merge line; draws from rand() (find_base_lr_edge); exit(-1) when memory
 * runs out.
 * Expects: `left`, `right` (neighbouring, `left` the left one) and `result` from malloc. */
DELAUNAY2D_API Mesh2D* merge_mesh(size_t beg, size_t pivot, size_t end, Mesh2D* left, Mesh2D* right, Mesh2D* result);

/* Copies source's inner triangles to the end of destination, counting them
 * as inner, and re-points their neighbours' links to the copies.
 * Expects: room in `destination` for them. */
DELAUNAY2D_API void merge_inner_triangle_mesh(Mesh2D* destination, Mesh2D* source);

/* Copies source's edge triangles that are not removed (radius not negative)
 * to the end of destination and re-points their neighbours' links to the
 * copies.
 * Expects: room in `destination` for them. */
DELAUNAY2D_API void merge_edge_triangle_mesh(Mesh2D* destination, Mesh2D* source);

/* Re-points the links held by old_t's neighbours from old_t to new_t.
 * Expects: `old_t` valid, its non-null links valid. */
DELAUNAY2D_API void merge_mesh_update_voronoi(Triangle* new_t, Triangle* old_t);

/* Appends one linked triangle per pair of consecutive cross edges, then
 * restores the inner/edge split.
 * Expects: room in `mesh` for one triangle per edge after the first; indices as merge_mesh sets them. */
DELAUNAY2D_API void merge_lr_line_triangle_mesh(Mesh2D* mesh, const LREdgeList* list, size_t right_inner_beg,
                                                size_t right_edge_beg, size_t lr_beg);

/* Links the mesh's last triangle to its predecessor and its side neighbour,
 * searching only the records before it; nothing for an empty mesh.
 * Expects: `mesh` valid; the three indices as merge_mesh sets them. */
DELAUNAY2D_API void mesh_create_last_triangle_voronoi(Mesh2D* mesh, size_t right_inner_beg, size_t right_edge_beg,
                                                      size_t lr_beg, bool share_left);

/* Links candidate to last when candidate has last's side edge; returns 1
 * when linked, else 0.
 * Expects: `candidate` and `last` valid. */
DELAUNAY2D_API int mesh_find_triangle_create_vor(Triangle* candidate, bool share_left, Triangle* last);

/* Moves every edge triangle with three links into the inner part, each by
 * an exchange with the first edge triangle that keeps every link pointing at
 * the same triangle.
 * Expects: `mesh` valid. */
DELAUNAY2D_API void update_edge_triangle(Mesh2D* mesh);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* DELAUNAY2D_TRACED_H */
