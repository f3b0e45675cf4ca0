/* Prints the names that the delaunay2d library must export, one a line. */
#include <stdio.h>

#include "support/exported_names.hpp"

int main(void) {
    int i;
    for (i = 0; i < DELAUNAY2D_EXPORTED_COUNT; ++i) {
        puts(delaunay2d_exported_names[i]);
    }
    return 0;
}
