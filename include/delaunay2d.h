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
 */
#ifndef DELAUNAY2D_H
#define DELAUNAY2D_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

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
 * removed during a merge. */
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

/* Triangulates n contiguous host points (n >= 3, else the process exits with
 * status -1). The points must outlive the mesh. Release with free_mesh. */
DELAUNAY2D_API Mesh2D* create_mesh_2d(Point3D* points, size_t n);

/* Triangulates the points of a host list (length >= 3), sorting the list in
 * place; mesh is a malloc'd block with room for the header and one Triangle.
 * Returns the finished mesh, which may have moved; release with free_mesh. */
DELAUNAY2D_API Mesh2D* create_triangle_mesh_2d(Point3DList* list, Mesh2D* mesh);

/* Triangulates the points of a range (at least two) of a list already in
 * split order into the given malloc'd block; returns the block, possibly
 * moved. */
DELAUNAY2D_API Mesh2D* partition_point_arr(PointRange* range, Mesh2D* mesh);

/* Builds the one-triangle base mesh of a range of two or three points in the
 * given block, which must have room for the header and one Triangle. */
DELAUNAY2D_API void create_mesh_by_2_3_point(PointRange* range, Mesh2D* mesh);

/* Releases a mesh returned by the library; null is accepted. */
DELAUNAY2D_API void free_mesh(Mesh2D* mesh);

/* ------------------------------------------------------------ construction */

/* Fills t with the vertices p0, p1, p2, null links, the centroid, and radius
 * -1.0 when p1 and p2 are the same point (else 0.0). */
DELAUNAY2D_API void create_triangle(Triangle* t, Point3D* p0, Point3D* p1, Point3D* p2);

/* Sets t's inner_center to the average of its three vertices (all four
 * components); t's points must be set. */
DELAUNAY2D_API void create_inner_center_2d(Triangle* t);

/* ------------------------------------------------------ ordering and output */

/* Sorts the list in place with the given order (randomised quicksort). */
DELAUNAY2D_API void sort_point(Point3DList* list, PointCompare compare);

/* Sorts positions lo..hi (both inclusive) of the list in place. */
DELAUNAY2D_API void random_quick_sort(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Swaps a randomly drawn position of lo..hi into hi, then partitions; returns
 * the pivot's final position. Requires lo <= hi. */
DELAUNAY2D_API size_t random_partition(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Partitions lo..hi around the point at hi; returns the pivot's final
 * position. Requires lo <= hi. */
DELAUNAY2D_API size_t partition(Point3DList* list, size_t lo, size_t hi, PointCompare compare);

/* Exchanges the pointers held in two slots. */
DELAUNAY2D_API void swap_point_3d(Point3D** a, Point3D** b);

/* Split order: ascending x, equal x by descending y, then ascending z + w. */
DELAUNAY2D_API int sort_point_x_maxY(const Point3D* a, const Point3D* b);

/* Left bottom-first order: ascending y, equal y by descending x, then z + w. */
DELAUNAY2D_API int sort_point_y_lx(const Point3D* a, const Point3D* b);

/* Right bottom-first order: ascending y, equal y by ascending x, then z + w. */
DELAUNAY2D_API int sort_point_y_rx(const Point3D* a, const Point3D* b);

/* Prints one trace line per point of the list, in list order, on stdout. */
DELAUNAY2D_API void print_point_3d_list(const Point3DList* list);

/* Returns when p is not null; otherwise prints "member is not enough" and
 * exits the process with status -1. */
DELAUNAY2D_API void check_realloc(void* p);

/* --------------------------------------------------------------- predicates */

/* Orientation value of p against the directed line a->b (positive: p to the
 * left); 0.0 when p is a or b (by address) or when |value| < 1e-8. */
DELAUNAY2D_API double is_bottom_on_line_point_2d(const Point3D* a, const Point3D* b, const Point3D* p);

/* True when the closed segments a-b and c-d meet; parallel segments never do. */
DELAUNAY2D_API bool line_is_cross_2d(Point3D a, Point3D b, Point3D c, Point3D d);

/* Euclidean distance of a and b in the x-y plane. */
DELAUNAY2D_API double point_2d_distance(Point3D a, Point3D b);

/* ------------------------------------------------------ triangle operations */

/* Writes t's circumcentre into outer_center and the circumradius into
 * radius; a collinear triple (within 1e-8) gets radius -1.0 instead. */
DELAUNAY2D_API void create_outer_center_2d(Triangle* t);

/* Index (0, 1, 2) of t's edge joining p and q in either direction, or -1. */
DELAUNAY2D_API int triangle_overlay_line_2d(const Triangle* t, const Point3D* p, const Point3D* q);

/* Links t's slot i and n's slot j to each other; does nothing when i < 0.
 * j must be 0, 1 or 2. */
DELAUNAY2D_API void create_triangle_vor(Triangle* t, int i, Triangle* n, int64_t j);

/* 1 when point lies inside t's computed circumcircle by at least 1e-8. */
DELAUNAY2D_API int point_inner_triangle_circular(Point3D point, Triangle t);

/* True when a vertex of one of mesh's edge triangles lies inside t's
 * computed circumcircle (as point_inner_triangle_circular decides). */
DELAUNAY2D_API bool point_inner_triangle_list_circular(Triangle t, const Mesh2D* mesh);

/* ----------------------------------------------------------- base LR edge */

/* Appends p to the list unless it is already there (by address); the list
 * must have room for one more entry. Returns p's index in the list. */
DELAUNAY2D_API size_t push_point_2d_no_repeat(Point3D* p, Point3DList* list);

/* Appends the distinct vertices of mesh's edge triangles to the list (which
 * must have room for them), then sorts the whole list with compare. */
DELAUNAY2D_API void create_point_no_repeat(const Mesh2D* mesh, Point3DList* list, PointCompare compare);

/* Writes the lower common tangent of two neighbouring meshes into edge. */
DELAUNAY2D_API void find_base_lr_edge(const Mesh2D* left, const Mesh2D* right, LREdge* edge);

/* Moves the ends of edge until no point of either list lies below it. */
DELAUNAY2D_API void update_line_bottom_edge(Point3DList* left, Point3DList* right, LREdge* edge);

/* One sweep over the list moving the end that side selects (0 left, 1
 * right); returns 1 when the end moved, else 0. */
DELAUNAY2D_API int update_line_bottom_edge_point(Point3DList* list, LREdge* edge, int side);

/* ---------------------------------------------------------- LR-edge chain */

/* Looks in mesh (side 0 left, 1 right) for the next chain point above edge;
 * returns 1 and fills candidate with the candidate triangle, else 0. */
DELAUNAY2D_API int find_side_potential_point(const Mesh2D* mesh, LREdge edge, int side, Triangle* candidate);

/* Extends the cross-edge list (at least one edge) up to the top; returns the
 * list, which may have moved. */
DELAUNAY2D_API LREdgeList* find_lr_edge(const Mesh2D* left, const Mesh2D* right, LREdgeList* list);

/* -------------------------------------------------- removal of crossings */

/* 1 when t is to be removed for the chain (side 0 left mesh, 1 right). */
DELAUNAY2D_API int find_edge_triangle_cross_lr_edge(const Triangle* t, const LREdgeList* list, int side);

/* Clears the links that t's neighbours hold to t. */
DELAUNAY2D_API void merge_mesh_remove_voronoi(Triangle* t);

/* Marks and unlinks mesh's edge triangles crossed by the chain; returns the
 * number of edge triangles kept. */
DELAUNAY2D_API size_t merge_edge_triangle_filter(Mesh2D* mesh, const LREdgeList* list, int side);

/* ------------------------------------------------------------------ merge */

/* Merges two half meshes (which it frees) into result, resized; returns the
 * merged mesh, which may have moved. beg, pivot, end serve the trace only. */
DELAUNAY2D_API Mesh2D* merge_mesh(size_t beg, size_t pivot, size_t end, Mesh2D* left, Mesh2D* right, Mesh2D* result);

/* Copies source's inner triangles to the end of destination (which must have
 * room), counting them as inner. */
DELAUNAY2D_API void merge_inner_triangle_mesh(Mesh2D* destination, Mesh2D* source);

/* Copies source's edge triangles that are not removed to the end of
 * destination (which must have room). */
DELAUNAY2D_API void merge_edge_triangle_mesh(Mesh2D* destination, Mesh2D* source);

/* Re-points the links held by old_t's neighbours from old_t to new_t. */
DELAUNAY2D_API void merge_mesh_update_voronoi(Triangle* new_t, Triangle* old_t);

/* Appends one linked triangle per pair of consecutive cross edges (the mesh
 * must have room), then restores the inner/edge split. */
DELAUNAY2D_API void merge_lr_line_triangle_mesh(Mesh2D* mesh, const LREdgeList* list, size_t right_inner_beg,
                                                size_t right_edge_beg, size_t lr_beg);

/* Links the mesh's last triangle to its predecessor and its side neighbour. */
DELAUNAY2D_API void mesh_create_last_triangle_voronoi(Mesh2D* mesh, size_t right_inner_beg, size_t right_edge_beg,
                                                      size_t lr_beg, bool share_left);

/* Links candidate to last when candidate has last's side edge; returns 1
 * when linked, else 0. */
DELAUNAY2D_API int mesh_find_triangle_create_vor(Triangle* candidate, bool share_left, Triangle* last);

/* Moves every edge triangle with three links into the inner part. */
DELAUNAY2D_API void update_edge_triangle(Mesh2D* mesh);

/* ------------------------------------------------------ the quiet companion
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

typedef struct delaunay2d_result {
    size_t point_count;        /* count as passed in */
    size_t triangle_count;
    uint32_t* triangles;       /* 3 * triangle_count point indices, every triangle counter-clockwise */
    int32_t* neighbours;       /* 3 * triangle_count: the triangle across edge (v[i], v[(i+1)%3]), or -1 */
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

/* A short English description of a status, for messages; never null. */
DELAUNAY2D_API const char* delaunay2d_status_message(delaunay2d_status status);

/* The library's version, "major.minor.patch". */
DELAUNAY2D_API const char* delaunay2d_version(void);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* DELAUNAY2D_H */
