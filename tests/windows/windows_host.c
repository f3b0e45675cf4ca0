/*
 * A host program of the delaunay2d library as a Windows application sees it:
 * the library is loaded at run time (LoadLibraryA) and every operation is
 * resolved by name (GetProcAddress); nothing is linked against it. The same
 * file builds natively on Linux, where dlopen and dlsym take their place, so
 * that the two builds can be run on the same input and their outputs
 * compared byte for byte.
 *
 *   windows_host CASE [LIBRARY] [--binary-stdout]
 *
 * LIBRARY defaults to "delaunay2d.dll" (looked up next to the program) on
 * Windows and to "./libdelaunay2d.so" elsewhere. --binary-stdout puts the
 * C runtime's stdout in binary mode first (Windows only; text mode turns
 * every line feed into CR LF), so that the bytes can be compared with the
 * Linux build's unchanged.
 *
 * Cases:
 *   three     three points: the one-triangle mesh, its vertices in split
 *             order and its centroid.
 *   thousand  1,000 points from a fixed generator through create_mesh_2d:
 *             the mesh is a valid Delaunay triangulation of the points.
 *   list      the same points through create_triangle_mesh_2d, with a list
 *             and a receiving block allocated by this program.
 *   large     30,000 points through create_mesh_2d, which the library
 *             triangulates on two threads where it can.
 *   two       two points: the library ends the process itself.
 *   fatal     runs this program with "two" as a child process and checks
 *             that the child wrote exactly "length is not enough" and that
 *             the system reports its exit code as -1 (Windows: 0xFFFFFFFF
 *             from GetExitCodeProcess; POSIX: status 255).
 *
 * The mesh cases run twice (so their trace appears twice); around the
 * second run they check that the heap holds as many bytes after free_mesh
 * as before the library was called.
 *
 * (With glibc, run it with GLIBC_TUNABLES=glibc.malloc.tcache_count=0:
 * blocks kept in the thread cache count as in use in its statistics.)
 *
 * Every case first resolves all exported operations by name. Standard output
 * carries only what the library prints; the program's own messages go to
 * standard error. Exit status 0 when every check passes, 1 otherwise, 2 on a
 * usage or loading error.
 */
#if !defined(_WIN32)
#define _POSIX_C_SOURCE 200809L
#endif

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <malloc.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <malloc.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "delaunay2d.h"
#include "support/exported_names.hpp"

/* ------------------------------------------------------ run-time loading */

#if defined(_WIN32)
typedef HMODULE library_handle;
#define DEFAULT_LIBRARY "delaunay2d.dll"

static library_handle open_library(const char* path) {
    return LoadLibraryA(path);
}

static void* find_symbol(library_handle library, const char* name) {
    FARPROC address = GetProcAddress(library, name);
    void* result = NULL;
    memcpy(&result, &address, sizeof result);
    return result;
}
#else
typedef void* library_handle;
#define DEFAULT_LIBRARY "./libdelaunay2d.so"

static library_handle open_library(const char* path) {
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

static void* find_symbol(library_handle library, const char* name) {
    return dlsym(library, name);
}
#endif

typedef Mesh2D* (*create_mesh_2d_fn)(Point3D*, size_t);
typedef Mesh2D* (*create_triangle_mesh_2d_fn)(Point3DList*, Mesh2D*);
typedef void (*free_mesh_fn)(Mesh2D*);

typedef delaunay2d_status (*triangulate_fn)(const double*, size_t, size_t, unsigned, delaunay2d_result*);
typedef void (*result_free_fn)(delaunay2d_result*);

static create_mesh_2d_fn lib_create_mesh_2d;
static triangulate_fn lib_triangulate;
static result_free_fn lib_result_free;
static create_triangle_mesh_2d_fn lib_create_triangle_mesh_2d;
static free_mesh_fn lib_free_mesh;

static int failures = 0;

#define CHECK(condition, ...)                          \
    do {                                               \
        if (!(condition)) {                            \
            fprintf(stderr, "FAILED (line %d): ", __LINE__); \
            fprintf(stderr, __VA_ARGS__);              \
            fputc('\n', stderr);                       \
            ++failures;                                \
        }                                              \
    } while (0)

/* Resolves every exported operation by name; keeps the three this program
 * calls. Returns 0 when one of them is missing. */
static int load_library(const char* path) {
    library_handle library = open_library(path);
    size_t i;
    int missing = 0;
    void* address;
    if (library == NULL) {
        fprintf(stderr, "cannot load %s\n", path);
        return 0;
    }
    for (i = 0; i < DELAUNAY2D_EXPORTED_COUNT; ++i) {
        if (find_symbol(library, delaunay2d_exported_names[i]) == NULL) {
            fprintf(stderr, "FAILED: %s is not exported by %s\n", delaunay2d_exported_names[i], path);
            ++missing;
        }
    }
    address = find_symbol(library, "create_mesh_2d");
    memcpy(&lib_create_mesh_2d, &address, sizeof address);
    address = find_symbol(library, "create_triangle_mesh_2d");
    memcpy(&lib_create_triangle_mesh_2d, &address, sizeof address);
    address = find_symbol(library, "free_mesh");
    memcpy(&lib_free_mesh, &address, sizeof address);
    address = find_symbol(library, "delaunay2d_triangulate");
    memcpy(&lib_triangulate, &address, sizeof address);
    address = find_symbol(library, "delaunay2d_result_free");
    memcpy(&lib_result_free, &address, sizeof address);
    return missing == 0;
}

/* Bytes in use on the C runtime's heap, which the library shares with this
 * program (on Windows both use msvcrt.dll's heap). A library call followed
 * by free_mesh must leave it as it was. */
#if defined(_WIN32)
static size_t heap_in_use(void) {
    _HEAPINFO entry;
    size_t total = 0;
    int status;
    entry._pentry = NULL;
    while ((status = _heapwalk(&entry)) == _HEAPOK) {
        if (entry._useflag == _USEDENTRY) total += entry._size;
    }
    if (status != _HEAPEND) fprintf(stderr, "_heapwalk ended with %d\n", status);
    return total;
}
#else
static size_t heap_in_use(void) {
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
#endif

/* Standard output gets a buffer of its own before anything is written, so
 * that the runtime allocates none while the heap is being watched. */
static char stdout_buffer[1 << 16];

/* ------------------------------------------------------------- geometry */

/* Twice the signed area of a, b, c. The generated coordinates are integers
 * below 2^20, so every product and difference here is exact in double. */
static double orient(const Point3D* a, const Point3D* b, const Point3D* c) {
    return (b->x - a->x) * (c->y - a->y) - (b->y - a->y) * (c->x - a->x);
}

__extension__ typedef __int128 wide;

/* Exact in-circle determinant: positive when d lies strictly inside the
 * circle through a, b, c given counter-clockwise. */
static wide in_circle(const Point3D* a, const Point3D* b, const Point3D* c, const Point3D* d) {
    wide adx = (wide)(int64_t)(a->x - d->x), ady = (wide)(int64_t)(a->y - d->y);
    wide bdx = (wide)(int64_t)(b->x - d->x), bdy = (wide)(int64_t)(b->y - d->y);
    wide cdx = (wide)(int64_t)(c->x - d->x), cdy = (wide)(int64_t)(c->y - d->y);
    wide alift = adx * adx + ady * ady;
    wide blift = bdx * bdx + bdy * bdy;
    wide clift = cdx * cdx + cdy * cdy;
    return alift * (bdx * cdy - bdy * cdx) - blift * (adx * cdy - ady * cdx) + clift * (adx * bdy - ady * bdx);
}

/* ------------------------------------------------------------- generator */

#define THOUSAND 1000
/* Large enough for the library to use two threads where it can. */
#define LARGE_COUNT 30000

static uint64_t lcg_state;

static uint32_t next_bits(unsigned bits) {
    lcg_state = lcg_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return (uint32_t)(lcg_state >> (64 - bits));
}

/* n distinct points with integer x, y in [0, 2^20). z and w are multiples of
 * 1/1024 and of 1/128, so that the trace prints values whose sixth decimal
 * needs rounding, some of them exact ties. */
static void generate_points(Point3D* points, size_t n) {
    size_t i = 0, j;
    lcg_state = 20240611u;
    while (i < n) {
        Point3D p;
        int duplicate = 0;
        p.x = (double)next_bits(20);
        p.y = (double)next_bits(20);
        p.z = ((double)next_bits(16) - 32768.0) / 1024.0;
        p.w = ((double)next_bits(12) - 2048.0) / 128.0;
        for (j = 0; j < i; ++j) {
            if (points[j].x == p.x && points[j].y == p.y) duplicate = 1;
        }
        if (!duplicate) points[i++] = p;
    }
}

/* --------------------------------------------------------- mesh checks */

typedef struct Edge {
    size_t lo, hi;       /* point indices, lo < hi */
    size_t triangle;     /* index of the triangle */
    int side;            /* edge index in that triangle */
} Edge;

static int compare_edges(const void* a, const void* b) {
    const Edge* e = (const Edge*)a;
    const Edge* f = (const Edge*)b;
    if (e->lo != f->lo) return e->lo < f->lo ? -1 : 1;
    if (e->hi != f->hi) return e->hi < f->hi ? -1 : 1;
    return e->triangle < f->triangle ? -1 : (e->triangle > f->triangle ? 1 : 0);
}

static const Point3D* sort_base;

static int compare_xy(const void* a, const void* b) {
    const Point3D* p = &sort_base[*(const size_t*)a];
    const Point3D* q = &sort_base[*(const size_t*)b];
    if (p->x != q->x) return p->x < q->x ? -1 : 1;
    if (p->y != q->y) return p->y < q->y ? -1 : 1;
    return 0;
}

/* Twice the area of the convex hull and the number of points on its
 * boundary (corners and points on its edges). */
static void convex_hull(const Point3D* points, size_t n, double* area2, size_t* boundary) {
    size_t* order = (size_t*)malloc(n * sizeof *order);
    size_t* hull = (size_t*)malloc((2 * n + 1) * sizeof *hull);
    size_t i, k = 0, lower, count = 0;
    double area = 0.0;
    for (i = 0; i < n; ++i) order[i] = i;
    sort_base = points;
    qsort(order, n, sizeof *order, compare_xy);
    /* Andrew's monotone chain, corners only (counter-clockwise). */
    for (i = 0; i < n; ++i) {
        while (k >= 2 && orient(&points[hull[k - 2]], &points[hull[k - 1]], &points[order[i]]) <= 0.0) --k;
        hull[k++] = order[i];
    }
    lower = k + 1;
    for (i = n - 1; i-- > 0;) {
        while (k >= lower && orient(&points[hull[k - 2]], &points[hull[k - 1]], &points[order[i]]) <= 0.0) --k;
        hull[k++] = order[i];
    }
    --k; /* the first corner is repeated at the end */
    for (i = 0; i < k; ++i) area += orient(&points[hull[0]], &points[hull[i]], &points[hull[i + 1]]);
    for (i = 0; i < n; ++i) {
        size_t c;
        for (c = 0; c < k; ++c) {
            const Point3D* a = &points[hull[c]];
            const Point3D* b = &points[hull[c + 1]];
            const Point3D* p = &points[i];
            if (orient(a, b, p) == 0.0 && p->x >= (a->x < b->x ? a->x : b->x) && p->x <= (a->x < b->x ? b->x : a->x) &&
                p->y >= (a->y < b->y ? a->y : b->y) && p->y <= (a->y < b->y ? b->y : a->y)) {
                ++count;
                break;
            }
        }
    }
    *area2 = area;
    *boundary = count;
    free(order);
    free(hull);
}

/* 1 when no point lies strictly on either side of the line a-b. */
static int on_hull(const Point3D* points, size_t n, const Point3D* a, const Point3D* b) {
    size_t i;
    int left = 0, right = 0;
    for (i = 0; i < n; ++i) {
        double o = orient(a, b, &points[i]);
        if (o > 0.0) left = 1;
        if (o < 0.0) right = 1;
    }
    return !(left && right);
}

static int edge_in(const Triangle* t, const Point3D* p, const Point3D* q) {
    int i;
    for (i = 0; i < 3; ++i) {
        const Point3D* a = t->points[i];
        const Point3D* b = t->points[(i + 1) % 3];
        if ((a == p && b == q) || (a == q && b == p)) return i;
    }
    return -1;
}

/* The checks that every mesh of n distinct points must pass: vertices are
 * the host's points, every triangle has positive area (in either
 * orientation), links are symmetric and present exactly across shared
 * edges, the triangles tile the convex hull, every point is a vertex, the
 * count is 2n - 2 - h, and every shared edge is locally Delaunay. */
static void check_mesh(const Mesh2D* mesh, const Point3D* points, size_t n) {
    size_t count, i, used_points = 0;
    size_t boundary;
    double hull_area2, area_sum = 0.0;
    Edge* edges;
    unsigned char* used;
    int bad_vertices = 0, bad_links = 0, bad_area = 0, not_delaunay = 0, inner_gaps = 0;

    CHECK(mesh != NULL, "no mesh returned");
    if (mesh == NULL) return;
    count = mesh->length;
    CHECK(mesh->inner_length <= count, "inner_length %zu above length %zu", (size_t)mesh->inner_length, count);
    convex_hull(points, n, &hull_area2, &boundary);
    CHECK(count == 2 * n - 2 - boundary, "%zu triangles for %zu points with %zu on the hull (expected %zu)", count, n,
          boundary, 2 * n - 2 - boundary);

    edges = (Edge*)malloc(3 * count * sizeof *edges);
    used = (unsigned char*)calloc(n, 1);
    for (i = 0; i < count; ++i) {
        const Triangle* t = &mesh->triangles[i];
        size_t index[3];
        int k, links = 0;
        for (k = 0; k < 3; ++k) {
            const Point3D* p = t->points[k];
            if (p < points || p >= points + n) {
                ++bad_vertices;
                index[k] = 0;
            } else {
                index[k] = (size_t)(p - points);
                if (!used[index[k]]) ++used_points;
                used[index[k]] = 1;
            }
            if (t->vor[k] != NULL) ++links;
        }
        if (index[0] == index[1] || index[1] == index[2] || index[2] == index[0]) ++bad_vertices;
        if (t->radius != 0.0) ++bad_vertices;
        {
            double a = orient(t->points[0], t->points[1], t->points[2]);
            if (a == 0.0) ++bad_area;
            area_sum += a < 0.0 ? -a : a;
        }
        if (i >= mesh->inner_length && links == 3) {
            CHECK(0, "edge triangle %zu has all three links", i);
        }
        for (k = 0; k < 3; ++k) {
            Edge* e = &edges[3 * i + (size_t)k];
            size_t a = index[k], b = index[(k + 1) % 3];
            e->lo = a < b ? a : b;
            e->hi = a < b ? b : a;
            e->triangle = i;
            e->side = k;
        }
    }
    CHECK(bad_vertices == 0, "%d triangles with a foreign, repeated or marked vertex", bad_vertices);
    CHECK(bad_area == 0, "%d triangles with zero area", bad_area);
    CHECK(used_points == n, "%zu of %zu points are vertices", used_points, n);
    CHECK(area_sum == hull_area2, "triangles cover %.1f, hull %.1f (twice the areas)", area_sum, hull_area2);

    /* Each edge is held by one triangle (hull) or two (linked both ways). */
    qsort(edges, 3 * count, sizeof *edges, compare_edges);
    for (i = 0; i < 3 * count;) {
        size_t j = i + 1;
        while (j < 3 * count && edges[j].lo == edges[i].lo && edges[j].hi == edges[i].hi) ++j;
        if (j - i == 1) {
            const Triangle* t = &mesh->triangles[edges[i].triangle];
            if (t->vor[edges[i].side] != NULL) ++bad_links;
            if (!on_hull(points, n, &points[edges[i].lo], &points[edges[i].hi])) ++inner_gaps;
        } else if (j - i == 2) {
            const Triangle* t = &mesh->triangles[edges[i].triangle];
            const Triangle* u = &mesh->triangles[edges[i + 1].triangle];
            if (t->vor[edges[i].side] != u || u->vor[edges[i + 1].side] != t) ++bad_links;
            {
                /* Local Delaunay: u's far vertex is not inside t's circle. */
                const Point3D* a = t->points[edges[i].side];
                const Point3D* b = t->points[(edges[i].side + 1) % 3];
                const Point3D* c = t->points[(edges[i].side + 2) % 3];
                const Point3D* d = u->points[(edges[i + 1].side + 2) % 3];
                wide inside = orient(a, b, c) > 0.0 ? in_circle(a, b, c, d) : in_circle(b, a, c, d);
                if (inside > 0) ++not_delaunay;
            }
        } else {
            ++bad_links;
        }
        i = j;
    }
    /* Every link points into the block and the neighbour has the edge. */
    for (i = 0; i < count; ++i) {
        const Triangle* t = &mesh->triangles[i];
        int k;
        for (k = 0; k < 3; ++k) {
            const Triangle* u = t->vor[k];
            if (u == NULL) continue;
            if (u < mesh->triangles || u >= mesh->triangles + count ||
                edge_in(u, t->points[k], t->points[(k + 1) % 3]) < 0) {
                ++bad_links;
            }
        }
    }
    CHECK(bad_links == 0, "%d edges with missing, one-sided or foreign links", bad_links);
    CHECK(inner_gaps == 0, "%d edges of a single triangle lie inside the hull", inner_gaps);
    CHECK(not_delaunay == 0, "%d shared edges are not locally Delaunay", not_delaunay);
    free(edges);
    free(used);
}

/* ---------------------------------------------------------------- cases */

static void case_three(int watch_heap) {
    /* Input order b, a, c; split order (ascending x, equal x by descending
     * y) is c, a, b. */
    Point3D points[3] = {{3.0, 0.0, 3.0, 6.0}, {0.0, 0.0, 0.0, 0.0}, {0.0, 3.0, 0.0, 3.0}};
    size_t heap_before = heap_in_use(), heap_after;
    Mesh2D* mesh = lib_create_mesh_2d(points, 3);
    const Triangle* t;
    int k;
    CHECK(mesh != NULL, "no mesh returned");
    if (mesh == NULL) return;
    CHECK(mesh->length == 1 && mesh->inner_length == 0, "length %zu, inner_length %zu", (size_t)mesh->length,
          (size_t)mesh->inner_length);
    t = &mesh->triangles[0];
    CHECK(t->points[0] == &points[2] && t->points[1] == &points[1] && t->points[2] == &points[0],
          "vertices are not the host's points in split order");
    for (k = 0; k < 3; ++k) CHECK(t->vor[k] == NULL, "link %d is set", k);
    CHECK(t->radius == 0.0, "radius %f", t->radius);
    CHECK(t->inner_center.x == 1.0 && t->inner_center.y == 1.0 && t->inner_center.z == 1.0 &&
              t->inner_center.w == 3.0,
          "centroid (%f, %f, %f, %f), expected (1, 1, 1, 3)", t->inner_center.x, t->inner_center.y,
          t->inner_center.z, t->inner_center.w);
    lib_free_mesh(mesh);
    heap_after = heap_in_use();
    CHECK(!watch_heap || heap_after == heap_before, "%zu bytes in use on the heap before, %zu after free_mesh",
          heap_before, heap_after);
}

static void case_points(size_t count, int through_list, int watch_heap) {
    Point3D* points = (Point3D*)malloc(count * sizeof *points);
    Point3D* original = (Point3D*)malloc(count * sizeof *points);
    Mesh2D* mesh;
    size_t i, heap_before, heap_after;
    generate_points(points, count);
    memcpy(original, points, count * sizeof *points);
    heap_before = heap_in_use();
    if (through_list) {
        /* The list and the receiving block come from this program's malloc:
         * the library resizes and frees them with its own runtime, so both
         * sides must share one heap. */
        Point3DList* list = (Point3DList*)malloc(sizeof(Point3DList) + count * sizeof(Point3D*));
        Mesh2D* block = (Mesh2D*)malloc(sizeof(Mesh2D) + sizeof(Triangle));
        list->length = count;
        for (i = 0; i < count; ++i) list->points[count - 1 - i] = &points[i];
        mesh = lib_create_triangle_mesh_2d(list, block);
        CHECK(list->length == count, "list length changed to %zu", (size_t)list->length);
        for (i = 1; i < count; ++i) {
            const Point3D* a = list->points[i - 1];
            const Point3D* b = list->points[i];
            if (!(a->x < b->x || (a->x == b->x && a->y > b->y))) {
                CHECK(0, "list not in split order at %zu", i);
                break;
            }
        }
        free(list);
    } else {
        mesh = lib_create_mesh_2d(points, count);
    }
    CHECK(memcmp(points, original, count * sizeof *points) == 0, "the host's points were changed");
    check_mesh(mesh, points, count);
    lib_free_mesh(mesh);
    lib_free_mesh(NULL);
    heap_after = heap_in_use();
    CHECK(!watch_heap || heap_after == heap_before, "%zu bytes in use on the heap before, %zu after free_mesh",
          heap_before, heap_after);
    free(points);
    free(original);
}

/* The quiet call on points with repeats, interleaved x y: counter-clockwise
 * triangles, symmetric neighbours, a closed hull, the same arrays on one
 * thread and on the library's choice, the heap as it was afterwards. Prints
 * a checksum of the arrays for the comparison of the two builds. */
static uint64_t mix(uint64_t sum, uint64_t v) { return (sum ^ v) * 1099511628211ULL; }

static void case_companion(void) {
    const size_t n = 70000;
    double* xy = (double*)malloc(2 * n * sizeof *xy);
    Point3D* points = (Point3D*)malloc(n * sizeof *points);
    delaunay2d_result one, many;
    size_t i, t, heap_before;
    int k;
    uint64_t sum = 14695981039346656037ULL;
    lcg_state = 7u;
    for (i = 0; i < n; ++i) {
        points[i].x = xy[2 * i] = (double)next_bits(12);
        points[i].y = xy[2 * i + 1] = (double)next_bits(12);
    }
    /* A first call may leave the runtime's per-thread set-up behind. */
    CHECK(lib_triangulate(xy, n, 2, 0, &many) == DELAUNAY2D_OK, "first call: not OK");
    lib_result_free(&many);
    heap_before = heap_in_use();
    CHECK(lib_triangulate(xy, n, 2, 1, &one) == DELAUNAY2D_OK, "one thread: not OK");
    CHECK(lib_triangulate(xy, n, 2, 0, &many) == DELAUNAY2D_OK, "library's choice: not OK");
    CHECK(one.triangle_count == many.triangle_count && one.hull_count == many.hull_count, "counts differ");
    CHECK(memcmp(one.triangles, many.triangles, 3 * one.triangle_count * sizeof(uint32_t)) == 0 &&
              memcmp(one.neighbours, many.neighbours, 3 * one.triangle_count * sizeof(int32_t)) == 0 &&
              memcmp(one.vertex_of_point, many.vertex_of_point, n * sizeof(int32_t)) == 0,
          "arrays differ between thread counts");
    for (t = 0; t < one.triangle_count; ++t) {
        const uint32_t* v = &one.triangles[3 * t];
        CHECK(orient(&points[v[0]], &points[v[1]], &points[v[2]]) > 0.0, "triangle %zu not counter-clockwise", t);
        for (k = 0; k < 3; ++k) {
            const int32_t nb = one.neighbours[3 * t + k];
            if (nb >= 0) {
                const uint32_t* w = &one.triangles[3 * (size_t)nb];
                int back = 0, j;
                for (j = 0; j < 3; ++j) {
                    if (one.neighbours[3 * (size_t)nb + j] == (int32_t)t && w[j] == v[(k + 1) % 3] &&
                        w[(j + 1) % 3] == v[k]) {
                        back = 1;
                    }
                }
                CHECK(back, "triangle %zu: neighbour %d does not link back across the edge", t, k);
            }
            sum = mix(sum, v[k]);
            sum = mix(sum, (uint64_t)(int64_t)nb);
        }
    }
    for (i = 0; i < one.hull_count; ++i) {
        const Point3D* a = &points[one.hull[i]];
        const Point3D* b = &points[one.hull[(i + 1) % one.hull_count]];
        const Point3D* c = &points[one.hull[(i + 2) % one.hull_count]];
        CHECK(orient(a, b, c) >= 0.0, "hull turns the wrong way at %zu", i); /* points on a side count */
        sum = mix(sum, one.hull[i]);
    }
    for (i = 0; i < n; ++i) sum = mix(sum, (uint64_t)(int64_t)one.vertex_of_point[i]);
    printf("companion: %zu triangles, %zu hull vertices, checksum %016llx\n", one.triangle_count, one.hull_count,
           (unsigned long long)sum);
    lib_result_free(&one);
    lib_result_free(&many);
    lib_result_free(NULL);
    CHECK(heap_in_use() == heap_before, "the heap was not given back");
    free(xy);
    free(points);
}

static void case_two(void) {
    Point3D points[2] = {{0.0, 0.0, 0.0, 0.0}, {1.0, 1.0, 0.0, 0.0}};
    Mesh2D* mesh = lib_create_mesh_2d(points, 2);
    CHECK(0, "create_mesh_2d returned %p for two points", (void*)mesh);
}

#define FATAL_TEXT "length is not enough"

/* Runs "self two" and collects its standard output and exit code. */
#if defined(_WIN32)
static void case_fatal(const char* self, const char* library) {
    SECURITY_ATTRIBUTES inherit;
    HANDLE read_end, write_end;
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    char command[4096];
    char output[256];
    size_t used = 0;
    DWORD got, code = 0;
    inherit.nLength = sizeof inherit;
    inherit.lpSecurityDescriptor = NULL;
    inherit.bInheritHandle = TRUE;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
        CHECK(0, "CreatePipe failed");
        return;
    }
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write_end;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    char program[MAX_PATH];
    (void)self;
    if (GetModuleFileNameA(NULL, program, sizeof program) == 0) {
        CHECK(0, "GetModuleFileNameA failed");
        return;
    }
    snprintf(command, sizeof command, "\"%s\" two \"%s\"", program, library);
    if (!CreateProcessA(NULL, command, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process)) {
        CHECK(0, "CreateProcessA failed for %s (error %lu)", command, (unsigned long)GetLastError());
        CloseHandle(read_end);
        CloseHandle(write_end);
        return;
    }
    CloseHandle(write_end);
    while (used < sizeof output && ReadFile(read_end, output + used, (DWORD)(sizeof output - used), &got, NULL) &&
           got > 0) {
        used += got;
    }
    CloseHandle(read_end);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    CHECK(used == strlen(FATAL_TEXT) && memcmp(output, FATAL_TEXT, used) == 0, "child printed \"%.*s\"", (int)used,
          output);
    CHECK(code == 0xFFFFFFFFu, "exit code 0x%08lX, expected 0xFFFFFFFF (-1)", (unsigned long)code);
}
#else
static void case_fatal(const char* self, const char* library) {
    int channel[2];
    pid_t child;
    char output[256];
    size_t used = 0;
    ssize_t got;
    int status = 0;
    if (pipe(channel) != 0) {
        CHECK(0, "pipe failed");
        return;
    }
    child = fork();
    if (child == 0) {
        dup2(channel[1], 1);
        close(channel[0]);
        close(channel[1]);
        execl(self, self, "two", library, (char*)NULL);
        _exit(127);
    }
    close(channel[1]);
    while (used < sizeof output && (got = read(channel[0], output + used, sizeof output - used)) > 0) {
        used += (size_t)got;
    }
    close(channel[0]);
    waitpid(child, &status, 0);
    CHECK(used == strlen(FATAL_TEXT) && memcmp(output, FATAL_TEXT, used) == 0, "child printed \"%.*s\"", (int)used,
          output);
    CHECK(WIFEXITED(status) && WEXITSTATUS(status) == 255, "child status %d, expected exit status 255 (-1)", status);
}
#endif

int main(int argc, char** argv) {
    const char* which;
    const char* library = DEFAULT_LIBRARY;
    int binary_stdout = 0, i, positional = 0;
    which = NULL;
    for (i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--binary-stdout") == 0) {
            binary_stdout = 1;
        } else if (positional == 0) {
            which = argv[i];
            ++positional;
        } else if (positional == 1) {
            library = argv[i];
            ++positional;
        } else {
            which = NULL;
            break;
        }
    }
    if (which == NULL) {
        fputs("usage: windows_host three|thousand|list|large|companion|two|fatal [LIBRARY] [--binary-stdout]\n", stderr);
        return 2;
    }
#if defined(_WIN32)
    if (binary_stdout) _setmode(_fileno(stdout), _O_BINARY);
#else
    (void)binary_stdout;
#endif
    setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);
    if (!load_library(library)) return 2;
    if (lib_create_mesh_2d == NULL || lib_create_triangle_mesh_2d == NULL || lib_free_mesh == NULL) return 2;

    /* The mesh cases run twice: the first call may leave the runtime's
     * per-thread set-up behind, the second must leave the heap as it was. */
    if (strcmp(which, "three") == 0) {
        case_three(0);
        case_three(1);
    } else if (strcmp(which, "large") == 0) {
        case_points(LARGE_COUNT, 0, 0);
        case_points(LARGE_COUNT, 0, 1);
    } else if (strcmp(which, "thousand") == 0) {
        case_points(THOUSAND, 0, 0);
        case_points(THOUSAND, 0, 1);
    } else if (strcmp(which, "list") == 0) {
        case_points(THOUSAND, 1, 0);
        case_points(THOUSAND, 1, 1);
    } else if (strcmp(which, "companion") == 0) {
        case_companion();
    } else if (strcmp(which, "two") == 0) {
        case_two();
    } else if (strcmp(which, "fatal") == 0) {
        case_fatal(argv[0], library);
    } else {
        fprintf(stderr, "unknown case %s\n", which);
        return 2;
    }
    fflush(stdout);
    if (failures != 0) {
        fprintf(stderr, "%s: %d check(s) failed\n", which, failures);
        return 1;
    }
    fprintf(stderr, "%s: passed\n", which);
    return 0;
}
