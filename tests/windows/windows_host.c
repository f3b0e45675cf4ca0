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
 *   thousand  1,000 points from a fixed generator through create_mesh_2d,
 *             and a checksum of the mesh (vertices, links, centroids).
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
 * Whether a mesh is right is not checked here: the test suite checks the
 * Linux build's meshes with an exact checker, and run_windows_tests.sh
 * compares this program's output (trace and checksums) byte for byte
 * between the two builds, so a Windows mesh that differs is caught there.
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

/* FNV-1a over 64-bit words: one line of output that changes with any
 * index, link or centroid bit. */
static uint64_t mix(uint64_t sum, uint64_t v) { return (sum ^ v) * 1099511628211ULL; }

static uint64_t bits_of(double d) {
    uint64_t bits;
    memcpy(&bits, &d, sizeof bits);
    return bits;
}

static void print_mesh_checksum(const Mesh2D* mesh, const Point3D* points) {
    uint64_t sum = 14695981039346656037ULL;
    size_t i;
    int k;
    for (i = 0; i < mesh->length; ++i) {
        const Triangle* t = &mesh->triangles[i];
        for (k = 0; k < 3; ++k) {
            sum = mix(sum, (uint64_t)(t->points[k] - points));
            sum = mix(sum, t->vor[k] != NULL ? (uint64_t)(t->vor[k] - mesh->triangles) : UINT64_MAX);
        }
        sum = mix(sum, bits_of(t->inner_center.x));
        sum = mix(sum, bits_of(t->inner_center.y));
        sum = mix(sum, bits_of(t->inner_center.z));
        sum = mix(sum, bits_of(t->inner_center.w));
    }
    printf("mesh: %zu triangles, %zu inner, checksum %016llx\n", (size_t)mesh->length, (size_t)mesh->inner_length,
           (unsigned long long)sum);
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
    CHECK(mesh != NULL, "no mesh returned");
    if (mesh != NULL) print_mesh_checksum(mesh, points);
    lib_free_mesh(mesh);
    lib_free_mesh(NULL);
    heap_after = heap_in_use();
    CHECK(!watch_heap || heap_after == heap_before, "%zu bytes in use on the heap before, %zu after free_mesh",
          heap_before, heap_after);
    free(points);
    free(original);
}

/* The index-array call on points with repeats, interleaved x y: the same arrays
 * on one thread and on the library's choice, the heap as it was afterwards.
 * Prints a checksum of the arrays for the comparison of the two builds. */

static void case_triangulate(void) {
    const size_t n = 70000;
    double* xy = (double*)malloc(2 * n * sizeof *xy);
    delaunay2d_result one, many;
    size_t i, heap_before;
    uint64_t sum = 14695981039346656037ULL;
    lcg_state = 7u;
    for (i = 0; i < n; ++i) {
        xy[2 * i] = (double)next_bits(12);
        xy[2 * i + 1] = (double)next_bits(12);
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
    for (i = 0; i < 3 * one.triangle_count; ++i) {
        sum = mix(sum, one.triangles[i]);
        sum = mix(sum, (uint64_t)(int64_t)one.neighbours[i]);
    }
    for (i = 0; i < one.hull_count; ++i) sum = mix(sum, one.hull[i]);
    for (i = 0; i < n; ++i) sum = mix(sum, (uint64_t)(int64_t)one.vertex_of_point[i]);
    printf("triangulate: %zu triangles, %zu hull vertices, checksum %016llx\n", one.triangle_count, one.hull_count,
           (unsigned long long)sum);
    lib_result_free(&one);
    lib_result_free(&many);
    lib_result_free(NULL);
    CHECK(heap_in_use() == heap_before, "the heap was not given back");
    free(xy);
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
        fputs("usage: windows_host three|thousand|list|large|triangulate|two|fatal [LIBRARY] [--binary-stdout]\n", stderr);
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
    } else if (strcmp(which, "triangulate") == 0) {
        case_triangulate();
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
