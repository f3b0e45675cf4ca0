/*
 * A minimal C host of the delaunay2d shared library, for tests that must run
 * the library in a process of its own (fatal exits, exact trace bytes).
 *
 *   fatal_host [--markers] [--report] mesh|list N [X Y Z W]...
 *
 * "mesh" calls create_mesh_2d with N points, "list" calls
 * create_triangle_mesh_2d with a list of length N and a receiving block. The
 * points are the 4·N numbers given, or, when none are given, generated
 * (point i = (i, i² mod 11, i / 2, -i)). N = 0 passes a null point array.
 *
 * By default the host prints nothing of its own: whatever appears on
 * standard output comes from the library. --markers prints a line before and
 * after the call; --report prints the returned mesh after the call, each
 * vertex as its index in the host's point array, each link as a triangle
 * index or "-". Exit status 0 when the call returns, 2 on a usage error.
 *
 * Only the public header is used; this file is compiled as strict C11.
 */
#include <delaunay2d.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int usage(void) {
    fputs("usage: fatal_host [--markers] [--report] mesh|list N [X Y Z W]...\n", stderr);
    return 2;
}

static int parse_size(const char* text, size_t* value) {
    char* end = NULL;
    unsigned long long parsed = strtoull(text, &end, 10);
    if (end == text || *end != '\0' || text[0] == '-') {
        return 0;
    }
    *value = (size_t)parsed;
    return 1;
}

static int parse_double(const char* text, double* value) {
    char* end = NULL;
    *value = strtod(text, &end);
    return end != text && *end == '\0';
}

static long vertex_index(const Point3D* base, size_t n, const Point3D* p) {
    size_t i;
    for (i = 0; i < n; ++i) {
        if (&base[i] == p) {
            return (long)i;
        }
    }
    return -1;
}

static void print_report(const Mesh2D* mesh, const Point3D* points, size_t n) {
    size_t t;
    int k;
    printf("length %zu inner %zu\n", mesh->length, mesh->inner_length);
    for (t = 0; t < mesh->length; ++t) {
        const Triangle* tri = &mesh->triangles[t];
        printf("triangle %zu: points", t);
        for (k = 0; k < 3; ++k) {
            printf(" %ld", vertex_index(points, n, tri->points[k]));
        }
        printf(" links");
        for (k = 0; k < 3; ++k) {
            if (tri->vor[k] == NULL) {
                printf(" -");
            } else {
                printf(" %ld", (long)(tri->vor[k] - mesh->triangles));
            }
        }
        printf(" radius %f\n", tri->radius);
    }
}

int main(int argc, char** argv) {
    int markers = 0;
    int report = 0;
    int use_list = 0;
    int arg = 1;
    size_t n = 0;
    size_t i;
    Point3D* points = NULL;
    Mesh2D* mesh = NULL;

    while (arg < argc && strncmp(argv[arg], "--", 2) == 0) {
        if (strcmp(argv[arg], "--markers") == 0) {
            markers = 1;
        } else if (strcmp(argv[arg], "--report") == 0) {
            report = 1;
        } else {
            return usage();
        }
        ++arg;
    }
    if (argc - arg < 2) {
        return usage();
    }
    if (strcmp(argv[arg], "list") == 0) {
        use_list = 1;
    } else if (strcmp(argv[arg], "mesh") != 0) {
        return usage();
    }
    if (!parse_size(argv[arg + 1], &n)) {
        return usage();
    }
    arg += 2;
    if (argc - arg != 0 && (size_t)(argc - arg) != 4 * n) {
        return usage();
    }

    if (n > 0) {
        points = malloc(n * sizeof *points);
        if (points == NULL) {
            return 3;
        }
        for (i = 0; i < n; ++i) {
            if (argc - arg == 0) {
                points[i].x = (double)i;
                points[i].y = (double)((i * i) % 11);
                points[i].z = (double)i / 2.0;
                points[i].w = -(double)i;
            } else if (!parse_double(argv[arg + 4 * i], &points[i].x) ||
                       !parse_double(argv[arg + 4 * i + 1], &points[i].y) ||
                       !parse_double(argv[arg + 4 * i + 2], &points[i].z) ||
                       !parse_double(argv[arg + 4 * i + 3], &points[i].w)) {
                free(points);
                return usage();
            }
        }
    }

    if (markers) {
        printf("host: before call\n");
    }
    if (use_list) {
        Point3DList* list = malloc(sizeof *list + (n > 0 ? n : 1) * sizeof list->points[0]);
        Mesh2D* block = malloc(sizeof *block + sizeof block->triangles[0]);
        if (list == NULL || block == NULL) {
            return 3;
        }
        list->length = n;
        for (i = 0; i < n; ++i) {
            list->points[i] = &points[i];
        }
        mesh = create_triangle_mesh_2d(list, block);
        free(list);
    } else {
        mesh = create_mesh_2d(points, n);
    }
    if (markers) {
        printf("host: after call\n");
    }
    if (report) {
        print_report(mesh, points, n);
    }
    free_mesh(mesh);
    free(points);
    return 0;
}
